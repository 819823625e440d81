#pragma once
// Two pieces of work on two cores: the one way the host splits work between threads.
#include <exception>
#include <system_error>
#include <thread>

namespace host {

// Runs `second` on a thread of its own while `first` runs on the calling thread, and returns
// once both are done; with no thread to be had, one after the other. An exception from either
// is rethrown here after both are done (the first's when both throw).
template <class First, class Second>
void bothAtOnce(First&& first, Second&& second) {
    std::exception_ptr secondFailed;
    const auto runSecond = [&] {
        try {
            second();
        } catch (...) {
            secondFailed = std::current_exception();
        }
    };
    std::thread helper;
    try {
        helper = std::thread(runSecond);
    } catch (const std::system_error&) {
        runSecond();
    }
    try {
        first();
    } catch (...) {
        if (helper.joinable()) helper.join();
        throw;
    }
    if (helper.joinable()) helper.join();
    if (secondFailed) std::rethrow_exception(secondFailed);
}

}  // namespace host

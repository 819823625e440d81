#include "xls/replaced_file_release.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <system_error>
#include <thread>

#include "host/replaced_files.h"

// Valgrind stops a program that starts a process sharing its memory; under it, the thread
// lets the file go instead.
#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#define TALLOMER_UNDER_VALGRIND() (RUNNING_ON_VALGRIND != 0)
#else
#define TALLOMER_UNDER_VALGRIND() false
#endif

namespace host {

namespace {
std::atomic<bool> afterExit{false};
}  // namespace

void releaseReplacedFilesAfterExit() { afterExit = true; }

namespace xls {

namespace {

void releaseOnThread(int fd) {
    try {
        std::thread([fd] { close(fd); }).detach();
    } catch (const std::system_error&) {
        close(fd);
    }
}

#if defined(__linux__) && defined(SYS_close_range)
// What the releasing process is given, at the top of its own stack, where nothing of the
// program's overwrites it.
struct Release {
    int file;       // the replaced file
    int gate;       // read end of a pipe whose write end only the program holds
    int highestFd;  // where closing descriptors one by one stops, without close_range
};

void closeRange(unsigned from, unsigned to, int highestFd) {
    if (from > to) return;
    if (syscall(SYS_close_range, from, to, 0) == 0) return;
    for (long fd = from; fd <= std::min<long>(to, highestFd); ++fd) syscall(SYS_close, fd);
}

// Runs in a process that shares the program's memory but has a copy of its descriptors, so it
// makes system calls only. It keeps the replaced file and the gate and closes the rest at
// once: an end of the caller's pipe would otherwise keep the caller waiting until this ends.
// The read returns when the gate's last writer, the program, has ended; the file goes with
// this process.
int releaseAfterProgram(void* argument) {
    const Release& r = *static_cast<const Release*>(argument);
    const auto low = static_cast<unsigned>(std::min(r.file, r.gate));
    const auto high = static_cast<unsigned>(std::max(r.file, r.gate));
    if (low > 0) closeRange(0, low - 1, r.highestFd);
    closeRange(low + 1, high - 1, r.highestFd);
    closeRange(high + 1, ~0U, r.highestFd);
    char byte;
    syscall(SYS_read, r.gate, &byte, 1);
    return 0;
}

// Hands the file to a process that outlives the program; false when one cannot be started.
bool releaseAfterExit(int fd) {
    constexpr std::size_t kStack = 64 * 1024;
    int gate[2];
    if (pipe2(gate, O_CLOEXEC) != 0) return false;
    void* stack = mmap(nullptr, kStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED) {
        close(gate[0]);
        close(gate[1]);
        return false;
    }
    auto* top = static_cast<char*>(stack) + kStack;
    auto* release = reinterpret_cast<Release*>(top - 64);
    *release = Release{fd, gate[0], static_cast<int>(std::clamp(sysconf(_SC_OPEN_MAX), 1024L, 65536L))};
    // Sharing the memory spares the copy of its page tables; the program's memory, too, is
    // then taken apart by that process rather than by the program's exit.
    const int pid = clone(releaseAfterProgram, release, CLONE_VM | SIGCHLD, release);
    close(gate[0]);
    if (pid < 0) {
        close(gate[1]);
        munmap(stack, kStack);
        return false;
    }
    close(fd);   // the process holds its own reference now; the gate's write end stays open
    return true;
}
#else
bool releaseAfterExit(int) { return false; }
#endif

}  // namespace

void releaseReplacedFile(int fd) {
    if (fd < 0) return;
    if (afterExit && !TALLOMER_UNDER_VALGRIND() && releaseAfterExit(fd)) return;
    releaseOnThread(fd);
}

}  // namespace xls
}  // namespace host

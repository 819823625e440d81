#pragma once
#include <stdexcept>
#include <string>

namespace host {

// The host's one error type: an operation it refuses raises this, with a message a person
// can read, and changes nothing.
class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace host

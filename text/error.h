#pragma once
// The base of the program's exceptions, and the matcher's own. They stand at
// the bottom so that the text support needs nothing above it; the platform
// adds its kinds in platform/errors.h.
#include <stdexcept>
#include <string>

namespace kaveto {

// Base of every error the program raises: one message text.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// The matcher's error: a rejected pattern, or a result read at the wrong time.
class EBRegExpError : public Error {
public:
    explicit EBRegExpError(const std::string& message) : Error(message) {}
};

}  // namespace kaveto

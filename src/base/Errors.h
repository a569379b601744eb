// The error types of the base services and the system's text for its error
// codes. Every failure in the program is an exception; these are the ones
// that name a file or a system call.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace keyvane {

// A file could not be read or written. The message names the file and the
// system's reason.
class IoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A file that is larger than its reader accepts: its contents, not the
// disk, are at fault.
class FileTooLargeError : public IoError {
  public:
    using IoError::IoError;
};

// The system's message for an error code (GetLastError on Windows, errno
// natively), UTF-8, without the trailing line break; NoSystemText(code)
// when the system has no text for it.
std::string SystemErrorText(std::uint32_t code);

// What stands for the system's text where it has none: a bare number tells
// the user nothing.
inline std::string NoSystemText(std::uint32_t code) {
    return "The system gave error " + std::to_string(code) + " and no text for it.";
}

} // namespace keyvane

#pragma once
// The exception family of the run. Operations report success as a Boolean and let what they do not
// handle travel up as one of these; the top-level handlers show what() to the user.
#include <stdexcept>
#include <string>
#include <string_view>

namespace arl {

// The program's general exception: every error raised by the core derives from it.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text that should have been a whole number, a date or a time and is not.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file that could not be opened, read, written, renamed or deleted where the caller needed it.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

// A list index past the end (for example the first year of an empty year list).
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// An error that ends a run, worded for the user (a page of the archive site that failed, for one).
class ERunError : public Exception {
 public:
  using Exception::Exception;
};

// Parses a whole number: optional blanks before it, an optional sign, decimal digits, or "$"/"0x"
// followed by hexadecimal digits. Anything else raises EConvertError "'text' is not a valid integer value".
int StrToInt(std::string_view text);

}  // namespace arl

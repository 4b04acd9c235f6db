// The input and output failures that end a run.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace zavolt {

// The channels' unit numbers and file names as failure messages show them.
inline constexpr int kConsoleInUnit = 5;
inline constexpr int kConsoleOutUnit = 6;
inline constexpr int kReportUnit = 66;
inline constexpr std::string_view kConsoleInFile = "CONIN$";
inline constexpr std::string_view kConsoleOutFile = "CONOUT$";

// The error numbers.
inline constexpr int kEndOfFile = 24;          // end of input during a read
inline constexpr int kOpenFailure = 30;        // any other failure to open the report file
inline constexpr int kWriteError = 38;         // a record write refused
inline constexpr int kReadError = 39;          // a console read refused by the platform
inline constexpr int kFileNameError = 43;      // the report file name rejected
inline constexpr int kWriteToReadOnly = 47;    // first write to a file opened only for reading
inline constexpr int kSyntaxError = 59;        // a number token breaks the token rules
inline constexpr int kConversionError = 64;    // integer out of range, or not one complete number
inline constexpr int kAccessNotAllowed = 600;
inline constexpr int kFileNotFound = 602;
inline constexpr int kTooManyOpenFiles = 603;

// An input or output failure: the run ends with the message line "vokrel: severe (N): text",
// preceded by the platform's text for `os_error` when there is one, and exit status N & 0xFF.
class IoFailure : public std::exception {
public:
  IoFailure(int number, int unit, std::string file, int os_error = 0);

  [[nodiscard]] int number() const noexcept { return number_; }
  [[nodiscard]] int unit() const noexcept { return unit_; }
  [[nodiscard]] const std::string& file() const noexcept { return file_; }
  [[nodiscard]] int os_error() const noexcept { return os_error_; }
  // The error's text with unit and file filled in, e.g.
  // "list-directed I/O syntax error, unit 5, file CONIN$".
  [[nodiscard]] const char* what() const noexcept override { return text_.c_str(); }

private:
  int number_;
  int unit_;
  std::string file_;
  int os_error_;
  std::string text_;
};

// Failures of the console input's values (errors 24, 59, 64 on unit 5, file CONIN$).
[[noreturn]] void fail_console_input(int number);

}  // namespace zavolt

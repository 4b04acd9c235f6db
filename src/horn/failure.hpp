// The two ways a run of zavolt-horn fails, each with its exit status.
#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace zavolt::horn {

inline constexpr int kWriteFailureStatus = 1;
inline constexpr int kUsageStatus = 2;

// The command line asks for something the program cannot do: one line naming the option and
// the value, exit status 2.
class UsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A file could not be opened or written: "cannot write standard output: Broken pipe", exit
// status 1.
class WriteFailure : public std::runtime_error {
public:
  WriteFailure(const std::string& action, const std::string& name, int error_number)
      : std::runtime_error(action + " " + name + ": " + std::system_category().message(error_number)),
        name_(name),
        error_number_(error_number) {}

  [[nodiscard]] const std::string& name() const noexcept { return name_; }
  [[nodiscard]] int error_number() const noexcept { return error_number_; }

private:
  std::string name_;
  int error_number_;
};

// The status of a run whose reader closed standard output early (`| head`): 128 + SIGPIPE, as a
// process killed by the signal reports it.
inline constexpr int kBrokenPipeStatus = 141;

}  // namespace zavolt::horn

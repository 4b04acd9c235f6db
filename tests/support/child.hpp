// Child runs of the whole program.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "dialogue/driver.hpp"
#include "support/scratch.hpp"

namespace zavolt::testing {

struct ChildRun {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 when the child did not exit normally
};

struct ChildOptions {
  std::optional<std::string> argument;
  int output_fd = -1;                    // stdout of the run; a capture when -1
  int input_fd = -1;                     // stdin of the run; the answers when -1
  int error_fd = -1;                     // stderr of the run; a capture when -1
  std::function<void()> before_run = {};  // in the child, after the chdir
  SystemCalls* calls = nullptr;           // the platform's when null
};

// Runs the whole program in a child process in `dir`, answers from `input`.
inline ChildRun run_in_child(const ScratchDir& dir, std::string_view input, const ChildOptions& options = {}) {
  CapturedFd in(input);
  CapturedFd out;
  CapturedFd err;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.path().c_str()) != 0) ::_exit(127);
    if (options.before_run) options.before_run();
    ProgramStreams streams;
    streams.input = options.input_fd >= 0 ? options.input_fd : in.fd();
    streams.output = options.output_fd >= 0 ? options.output_fd : out.fd();
    streams.error = options.error_fd >= 0 ? options.error_fd : err.fd();
    streams.argument = options.argument;
    if (options.calls != nullptr) streams.calls = options.calls;
    ::_exit(run_program(streams));
  }
  ChildRun run;
  int wait_status = 0;
  ::waitpid(pid, &wait_status, 0);
  run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  run.out = out.contents();
  run.err = err.contents();
  return run;
}

// The stderr of a failure up to and including its message line: the listing after it is free-form.
inline std::string message_lines(const std::string& err) {
  for (const std::string_view marker : {std::string_view("vokrel: severe"), std::string_view("- sqrt: "),
                                        std::string_view("- log: ")}) {
    const std::size_t at = err.find(marker);
    if (at == std::string::npos) continue;
    const std::size_t end = err.find("\r\n", at);
    return err.substr(0, end == std::string::npos ? err.size() : end + 2);
  }
  return err;
}

}  // namespace zavolt::testing

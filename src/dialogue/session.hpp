// One run of the dialogue: its channels, the routines active in it, and how it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/console.hpp"
#include "dialogue/report_file.hpp"

namespace zavolt {

// The routines active at a failure, innermost last. A routine enters with an ActiveRoutine and
// leaves when it returns normally; one that an exception leaves stays listed, so the failure
// report shows where the run was.
class RoutineTrace {
public:
  void enter(std::string_view name) { frames_.push_back(name); }
  void leave() noexcept { frames_.pop_back(); }
  // Gives the frame at `depth` (0 is the outermost) another name.
  void rename(std::size_t depth, std::string_view name) noexcept { frames_[depth] = name; }
  [[nodiscard]] const std::vector<std::string_view>& frames() const noexcept { return frames_; }

private:
  std::vector<std::string_view> frames_;
};

class ActiveRoutine {
public:
  ActiveRoutine(RoutineTrace& trace, std::string_view name)
      : trace_(trace), exceptions_(std::uncaught_exceptions()) {
    trace_.enter(name);
  }
  ActiveRoutine(const ActiveRoutine&) = delete;
  ActiveRoutine& operator=(const ActiveRoutine&) = delete;
  ~ActiveRoutine() {
    if (std::uncaught_exceptions() == exceptions_) trace_.leave();
  }

private:
  RoutineTrace& trace_;
  int exceptions_;
};

// One frame for the steps of a loop body, entered once for the whole loop: each step names the
// frame as it begins, which is a store, where an ActiveRoutine per step would enter and leave the
// trace on every pass. A failure in a step leaves the frame listed under that step's name.
class ActiveStep {
public:
  ActiveStep(RoutineTrace& trace, std::string_view first_step)
      : trace_(trace), depth_(trace.frames().size()), frame_(trace, first_step) {}
  void begin(std::string_view name) noexcept { trace_.rename(depth_, name); }

private:
  RoutineTrace& trace_;
  std::size_t depth_;
  ActiveRoutine frame_;
};

// The process's side of a run: the console's descriptors, the standard error stream, the first
// command-line argument and the system calls that move the bytes.
struct ProgramStreams {
  int input = 0;
  int output = 1;
  int error = 2;
  std::optional<std::string_view> argument;
  SystemCalls* calls = &platform_calls();
  // At most this many points in any sweep: a bound for running whole dialogues in-process by the
  // thousand (the fuzzer). The program itself sets none.
  std::optional<std::int32_t> sweep_point_limit;
};

// The channels of one run. The report file is open from open_report() to the end of the run.
class Session {
public:
  explicit Session(const ProgramStreams& streams)
      : calls_(*streams.calls), console_out_(streams.output, calls_), console_in_(streams.input, console_out_, calls_),
        argument_(streams.argument), sweep_point_limit_(streams.sweep_point_limit) {}

  ConsoleOutput& console() noexcept { return console_out_; }
  LineSource& console_input() noexcept { return console_in_; }
  // The report file; open_report() must have succeeded.
  ReportFile& report() noexcept { return *report_; }
  RoutineTrace& trace() noexcept { return trace_; }
  [[nodiscard]] std::optional<std::int32_t> sweep_point_limit() const noexcept { return sweep_point_limit_; }

  void open_report(std::string_view name_field);
  // Closes every channel at the end of the run: the console's owed line end goes out, the report
  // file is closed. A failure of either is a write error like any other.
  void close_all();
  // The same after a failure: nothing more can be reported.
  void close_all_quietly() noexcept;

private:
  SystemCalls& calls_;
  ConsoleOutput console_out_;
  ConsoleInput console_in_;
  std::optional<std::string_view> argument_;
  std::optional<std::int32_t> sweep_point_limit_;
  std::unique_ptr<ReportFile> report_;
  RoutineTrace trace_;
};

// "Stop - Program terminated." as a record on the console, then every channel closed.
void end_run(Session& session);

// The stderr report of a failure that ends the run, and the exit status that goes with it: for an
// input or output failure the platform's line (when it gave an error code), the message line and
// the listing of active routines, status = error number & 0xFF; for a math error the two
// "run-time error" lines and the listing, status 3.
[[nodiscard]] std::string failure_report(const std::exception& failure, const RoutineTrace& trace);
[[nodiscard]] int failure_status(const std::exception& failure) noexcept;

}  // namespace zavolt

#include "dialogue/session.hpp"

#include "dialogue/failure.hpp"
#include "numeric/elementary.hpp"

namespace zavolt {

namespace {

constexpr std::string_view kStopRecord = " Stop - Program terminated.";
constexpr std::string_view kSeverity = "vokrel: severe";
constexpr int kMathErrorStatus = 3;

std::string routine_listing(const RoutineTrace& trace, std::string_view innermost) {
  std::string text = "Active routines, innermost first:\r\n";
  if (!innermost.empty()) text += "  " + std::string(innermost) + "\r\n";
  const auto& frames = trace.frames();
  for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) text += "  " + std::string(*frame) + "\r\n";
  return text;
}

}  // namespace

void Session::open_report(std::string_view name_field) {
  ActiveRoutine routine(trace_, "open_report_file");
  report_ = open_report_file(name_field, argument_, console_out_, console_in_, calls_);
}

void Session::close_all() {
  console_out_.close();
  if (report_) report_->close();
}

void Session::close_all_quietly() noexcept {
  console_out_.close_quietly();
  if (report_) report_->close_quietly();
}

void end_run(Session& session) {
  ActiveRoutine routine(session.trace(), "end_run");
  session.console().write_record(kStopRecord);
  session.close_all();
}

std::string failure_report(const std::exception& failure, const RoutineTrace& trace) {
  if (const auto* io = dynamic_cast<const IoFailure*>(&failure)) {
    std::string text;
    if (io->os_error() != 0) text += "vokrel: " + platform_error_text(io->os_error()) + "\r\n";
    text += std::string(kSeverity) + " (" + std::to_string(io->number()) + "): " + io->what() + "\r\n";
    return text + routine_listing(trace, {});
  }
  if (const auto* math = dynamic_cast<const MathError*>(&failure)) {
    std::string text = "\r\nrun-time error M" + std::to_string(math->number()) + ": MATH\r\n";
    text += "- " + std::string(math->function()) + ": " + std::string(math->kind_name()) + " error\r\n";
    return text + routine_listing(trace, math->function());
  }
  return std::string("zavolt: internal error: ") + failure.what() + "\r\n" + routine_listing(trace, {});
}

int failure_status(const std::exception& failure) noexcept {
  // The status is 0xC0000000 plus the error number; the process keeps its low eight bits.
  if (const auto* io = dynamic_cast<const IoFailure*>(&failure)) return io->number() & 0xFF;
  if (dynamic_cast<const MathError*>(&failure) != nullptr) return kMathErrorStatus;
  return 1;
}

}  // namespace zavolt

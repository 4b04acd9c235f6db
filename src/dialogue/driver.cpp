#include "dialogue/driver.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstddef>

#include "analysis/cchgn.hpp"
#include "analysis/hcnbw.hpp"
#include "design/hccgn.hpp"
#include "dialogue/layouts.hpp"
#include "dialogue/reader.hpp"
#include "dialogue/state.hpp"
#include "numeric/elementary.hpp"
#include "numeric/fp.hpp"

namespace zavolt {

namespace {

// 4.34294, not 10 / ln 10 = 4.3429448: the gains are defined with it.
constexpr float kDbFactor = 4.34294f;

static_assert(FILE_NAME_LAYOUT[0].width == static_cast<int>(kNameFieldWidth));

// The port between a table's loop and its destinations: rows by name, each laid out once and
// written to the report file, then to the console, each write named in the loop's step.
class TableRows : private RecordSink {
public:
  TableRows(Session& session, ActiveStep& step) : session_(session), step_(step) {}

  // Lengths in the display unit.
  void design_row(float phase_deviation, float radius, float slant) {
    const std::array<FieldValue, 3> row = {phase_deviation, radius, slant};
    write_layout(*this, DESIGN_ROW_LAYOUT, row);
  }
  void analysis_row(float frequency, float gain_db, float beamwidth_3db, float beamwidth_10db) {
    const std::array<FieldValue, 4> row = {frequency, gain_db, beamwidth_3db, beamwidth_10db};
    write_layout(*this, ANALYSIS_ROW_LAYOUT, row);
  }

private:
  void write_record(std::string_view record) override {
    step_.begin("write_layout (report file)");
    session_.report().write_record(record);
    step_.begin("write_layout (console)");
    session_.console().write_record(record);
  }
  // The row layouts hold no prompt.
  void write_open_prompt(std::string_view record) override { write_record(record); }

  Session& session_;
  ActiveStep& step_;
};

class Dialogue {
public:
  explicit Dialogue(Session& session) : session_(session) {}

  void run();

private:
  bool ask_unit();
  bool ask_design();
  bool ask_phase_sweep();
  void design_table();
  bool ask_horn();
  bool ask_frequency_sweep();
  void analysis_table();

  void show(Layout layout, std::span<const FieldValue> values = {});
  void file(Layout layout, std::span<const FieldValue> values = {});
  void ask(std::int32_t& integer);
  void ask(float& first, float& second);
  void ask(float& first, float& second, float& third);
  [[nodiscard]] std::size_t unit() const { return static_cast<std::size_t>(state_.unit_code - 1); }
  [[nodiscard]] std::int32_t points(float start, float stop, float step) const;

  Session& session_;
  DialogueState state_;
};

void Dialogue::show(Layout layout, std::span<const FieldValue> values) {
  ActiveRoutine routine(session_.trace(), "write_layout (console)");
  write_layout(session_.console(), layout, values);
}

void Dialogue::file(Layout layout, std::span<const FieldValue> values) {
  ActiveRoutine routine(session_.trace(), "write_layout (report file)");
  write_layout(session_.report(), layout, values);
}

void Dialogue::ask(std::int32_t& integer) {
  ActiveRoutine routine(session_.trace(), "read_values");
  read_values(session_.console_input(), integer);
}

void Dialogue::ask(float& first, float& second) {
  ActiveRoutine routine(session_.trace(), "read_values");
  read_values(session_.console_input(), first, second);
}

void Dialogue::ask(float& first, float& second, float& third) {
  ActiveRoutine routine(session_.trace(), "read_values");
  read_values(session_.console_input(), first, second, third);
}

std::int32_t Dialogue::points(float start, float stop, float step) const {
  const std::int32_t count = sweep_count(start, stop, step);
  const std::optional<std::int32_t> limit = session_.sweep_point_limit();
  return limit ? std::min(count, *limit) : count;
}

void Dialogue::run() {
  state_.header_written = 0;
  show(TITLE_LAYOUT);
  show(FILE_PROMPT_LAYOUT);
  {
    ActiveRoutine routine(session_.trace(), "read_name_field");
    state_.report_file_name = read_name_field(session_.console_input());
  }
  session_.open_report(state_.report_file_name);
  if (ask_unit()) {
    while (ask_design()) {
      while (ask_phase_sweep()) {
        design_table();
        while (ask_horn()) {
          while (ask_frequency_sweep()) analysis_table();
        }
      }
    }
  }
  end_run(session_);
}

// Asks until the answer is 0, 1 or 2: any other code has no unit. False for 0.
bool Dialogue::ask_unit() {
  ActiveRoutine routine(session_.trace(), "unit question");
  for (;;) {
    show(UNIT_PROMPT_LAYOUT);
    ask(state_.unit_code);
    if (state_.unit_code == 0) return false;
    if (state_.unit_code == 1 || state_.unit_code == 2) return true;
  }
}

// False when the design frequency is zero. The report header goes out after the first non-zero one.
bool Dialogue::ask_design() {
  ActiveRoutine routine(session_.trace(), "frequency/gain prompt");
  show(DESIGN_PROMPT_LAYOUT);
  ask(state_.design_frequency, state_.design_gain);
  if (state_.design_frequency == 0.0f) return false;
  if (state_.header_written == 0) {
    file(NAME_LINE_LAYOUT);
    file(CREDIT_LINE_LAYOUT);
    state_.header_written = 1;
  }
  return true;
}

bool Dialogue::ask_phase_sweep() {
  ActiveRoutine routine(session_.trace(), "phase deviation prompt");
  show(PHASE_PROMPT_LAYOUT);
  ask(state_.phase_start, state_.phase_stop, state_.phase_step);
  return state_.phase_step != 0.0f;
}

void Dialogue::design_table() {
  ActiveRoutine routine(session_.trace(), "design table");
  state_.point_count = points(state_.phase_start, state_.phase_stop, state_.phase_step);
  const std::array<FieldValue, 2> heading = {state_.design_gain, state_.design_frequency};
  file(DESIGN_REPORT_HEADER_LAYOUT, heading);
  show(DESIGN_CONSOLE_HEADER_LAYOUT);
  const float factor = UNIT_FACTOR[unit()];
  ActiveStep step(session_.trace(), "HCCGN");
  TableRows rows(session_, step);
  for (std::int64_t i = 1; i <= state_.point_count; ++i) {
    state_.point_index = static_cast<std::int32_t>(i);
    state_.phase_deviation = sweep_value(i, state_.phase_start, state_.phase_step);
    step.begin("HCCGN");
    HCCGN(state_.design_frequency, state_.design_gain, state_.phase_deviation, state_.design_radius,
          state_.slant_length);
    rows.design_row(state_.phase_deviation, to_f32(wide(state_.design_radius) * wide(factor)),
                    to_f32(wide(state_.slant_length) * wide(factor)));
  }
}

// False when the aperture radius is zero.
bool Dialogue::ask_horn() {
  ActiveRoutine routine(session_.trace(), "horn prompt");
  show(HORN_PROMPT_LAYOUT);
  ask(state_.aperture_radius, state_.slant_radius);
  const float factor = UNIT_FACTOR[unit()];
  state_.radius_inches = to_f32(wide(state_.aperture_radius) / wide(factor));
  state_.slant_inches = to_f32(wide(state_.slant_radius) / wide(factor));
  return state_.aperture_radius != 0.0f;
}

bool Dialogue::ask_frequency_sweep() {
  ActiveRoutine routine(session_.trace(), "frequency sweep prompt");
  show(SWEEP_PROMPT_LAYOUT);
  ask(state_.freq_start, state_.freq_stop, state_.freq_step);
  return state_.freq_step != 0.0f;
}

void Dialogue::analysis_table() {
  ActiveRoutine routine(session_.trace(), "analysis table");
  state_.point_count = points(state_.freq_start, state_.freq_stop, state_.freq_step);
  const std::array<FieldValue, 3> heading = {state_.aperture_radius, UNIT_LABEL[unit()], state_.slant_radius};
  file(ANALYSIS_HEADER_LAYOUT, heading);
  show(ANALYSIS_HEADER_LAYOUT, heading);
  ActiveStep step(session_.trace(), "CCHGN");
  TableRows rows(session_, step);
  for (std::int64_t i = 1; i <= state_.point_count; ++i) {
    state_.point_index = static_cast<std::int32_t>(i);
    state_.frequency = sweep_value(i, state_.freq_start, state_.freq_step);
    step.begin("CCHGN");
    const float ratio = CCHGN(state_.frequency, state_.radius_inches, state_.slant_inches);
    step.begin("dB conversion");
    state_.gain_db = to_f32(dlog(wide(ratio)) * wide(kDbFactor));
    step.begin("HCNBW");
    HCNBW(state_.frequency, state_.radius_inches, state_.slant_inches, state_.beamwidth_3db,
          state_.beamwidth_10db);
    rows.analysis_row(state_.frequency, state_.gain_db, state_.beamwidth_3db, state_.beamwidth_10db);
  }
}

}  // namespace

void run_dialogue(Session& session) {
  ActiveRoutine routine(session.trace(), "zavolt dialogue");
  Dialogue(session).run();
}

namespace {

constexpr int kInternalErrorStatus = 1;

int run_session(const ProgramStreams& streams) {
  Session session(streams);
  try {
    run_dialogue(session);
    return 0;
  } catch (const std::exception& failure) {
    const std::string report = failure_report(failure, session.trace());
    (void)write_all(*streams.calls, streams.error, report);
    session.close_all_quietly();
    return failure_status(failure);
  }
}

// "zavolt: internal error: <what>" in one write, built on the stack: memory may be what ran out.
void report_without_memory(const ProgramStreams& streams, const std::exception& failure) noexcept {
  std::array<char, 256> line{};
  std::size_t length = 0;
  for (const std::string_view part : {std::string_view("zavolt: internal error: "), std::string_view(failure.what())}) {
    const std::size_t room = line.size() - 2 - length;
    const std::size_t n = std::min(part.size(), room);
    std::copy_n(part.data(), n, line.data() + length);
    length += n;
  }
  line[length++] = '\r';
  line[length++] = '\n';
  (void)write_all(*streams.calls, streams.error, std::string_view(line.data(), length));
}

}  // namespace

int run_program(const ProgramStreams& streams) noexcept {
  // A console that goes away, or a file that reaches the size limit, must end the run with a
  // write error, not a signal.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  try {
    return run_session(streams);
  } catch (const std::exception& failure) {  // out of memory while reporting a failure
    report_without_memory(streams, failure);
    return kInternalErrorStatus;
  }
}

void occupy_closed_standard_descriptors() noexcept {
  for (int fd = 0; fd <= 2; ++fd) {
    const int flags = ::fcntl(fd, F_GETFD);
    const int error = errno;
    if (flags != -1 || error != EBADF) continue;  // open
    const int null = ::open("/dev/null", O_RDONLY);
    if (null < 0 || null == fd) continue;
    (void)::dup2(null, fd);
    (void)::close(null);
  }
}

}  // namespace zavolt

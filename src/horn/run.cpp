#include "horn/run.hpp"

#include <unistd.h>

#include <fmt/format.h>

#include <cerrno>
#include <cmath>
#include <memory>
#include <new>
#include <optional>
#include <variant>

#include "horn/atomic_file.hpp"
#include "horn/command_support.hpp"
#include "horn/commands.hpp"
#include "horn/failure.hpp"
#include "horn/modes_command.hpp"
#include "horn/options.hpp"
#include "horn/output.hpp"
#include "horn/progress.hpp"
#include "horn/work.hpp"
#include "zavolt/invalid_input.hpp"

namespace zavolt::horn {

namespace {

constexpr std::string_view kProgram = "zavolt-horn";

// The option that carried a quantity the library refused, for the message.
std::string_view option_of(Quantity quantity) {
  switch (quantity) {
    case Quantity::radius: return "--radius";
    case Quantity::slant: return "--slant";
    case Quantity::frequency: return "--freq";
    case Quantity::level: return "--levels";
    case Quantity::edge_angle: return "--edge-angle";
    case Quantity::f_over_d: return "--f-over-d";
    case Quantity::phase_deviation: return "--s";
    case Quantity::directivity: return "--gain";
    case Quantity::edge_taper: return "--edge-taper";
    case Quantity::theta: return "--theta";
    case Quantity::band: return "--band";
    case Quantity::section_length:
    case Quantity::section_radius: return "--profile";
    case Quantity::input_radius: return "--input-radius";
    case Quantity::input_length: return "--input-length";
    case Quantity::flare_length: return "--length";
    case Quantity::law_a: return "--law-a";
    case Quantity::law_rho: return "--law-rho";
    case Quantity::pitch: return "--pitch";
    case Quantity::slot_ratio: return "--slot-ratio";
    case Quantity::converter_slots: return "--converter-slots";
    case Quantity::converter_depth: return "--converter-depth";
    case Quantity::minimum_ridge: return "--min-ridge";
    case Quantity::minimum_slot: return "--min-slot";
    case Quantity::step_length: return "--max-step";
    case Quantity::wall: return "--wall";
    case Quantity::mesh_tolerance: return "--stl-tolerance";
    case Quantity::mode_count: return "--modes";
  }
  return "an option";
}

// Best effort: a diagnostic that cannot be written has nowhere else to go.
void say(int fd, const std::string& line) {
  try {
    write_all(fd, line, "standard error");
  } catch (const WriteFailure&) {
  }
}

std::optional<std::string> run_command(const Request& request, RowWriter& writer, Warnings& warnings,
                                       std::optional<ProfileFiles>& profile_files) {
  if (const auto* design = std::get_if<DesignRequest>(&request)) {
    run_design(*design, writer, warnings);
    return std::nullopt;
  }
  if (const auto* analyse = std::get_if<AnalyseRequest>(&request)) return run_analyse(*analyse, writer, warnings);
  if (const auto* horn = std::get_if<ProfileRequest>(&request)) return run_profile(*horn, writer, warnings, *profile_files);
  return run_pattern(std::get<PatternRequest>(request), writer, warnings);
}

// Between a command and its writer, where a row is written: every number is finite, or one of the
// two infinities a column gives a meaning; lengths turn from metres (or classic inches) into the
// run's unit; a row counts towards the progress bar.
class GuardedRows final : public RowWriter {
public:
  GuardedRows(RowWriter& writer, Progress& progress) : writer_(writer), progress_(progress) {}

  void begin(const ReportHead& head) override {
    columns_ = head.columns;
    unit_ = unit_named(head.unit).value_or(Unit::Millimetre);
    writer_.begin(head);
  }

  void row(const Row& row) override {
    Row checked = row;
    for (std::size_t i = 0; i < checked.cells.size() && i < columns_.size(); ++i) {
      Cell& cell = checked.cells[i];
      if (columns_[i].length) cell = displayed_length(cell, unit_);
      const double value = cell.kind() == Cell::Kind::Single ? static_cast<double>(cell.single()) : cell.value();
      if (cell.kind() == Cell::Kind::Empty || std::isfinite(value) || std::isnan(value)) continue;
      if (value > 0.0 && columns_[i].infinity_allowed) continue;
      if (value < 0.0 && columns_[i].minus_infinity_empty) {
        cell = Cell{};
        continue;
      }
      throw UsageError(fmt::format("{} would be {} in row {}: outside the model's domain", columns_[i].name,
                                   shortest(value), rows_ + 1));
    }
    writer_.row(checked);
    ++rows_;
    progress_.advance();
  }

  void end(const std::vector<std::string>& warnings) override { writer_.end(warnings); }

private:
  RowWriter& writer_;
  Progress& progress_;
  std::vector<Column> columns_;
  Unit unit_ = Unit::Millimetre;
  std::size_t rows_ = 0;
};

const CommonOptions& common_of(const Request& request) {
  return std::visit(
      [](const auto& r) -> const CommonOptions& {
        if constexpr (requires { r.common; }) {
          return r.common;
        } else {
          throw std::logic_error("a text request has no options");
        }
      },
      request);
}

// The computation and its files: the request's work is checked and the files are opened before
// anything is computed, so that a bad path or a request of hours fails at once; the files replace
// their targets only when everything succeeded.
void run_request(const Request& request, const HornStreams& streams) {
  const CommonOptions& common = common_of(request);
  const WorkEstimate work = estimated_work(request);
  if (work.seconds > kMostSeconds && !common.no_limit) {
    throw UsageError(fmt::format("the request would take about {} ({} rows), more than an hour: narrow it, or "
                                 "give --no-limit",
                                 duration_text(work.seconds), work.rows));
  }
  std::optional<AtomicFile> output_file;
  if (common.output) output_file.emplace(*common.output);
  std::optional<AtomicFile> plot_file;
  if (common.plot) plot_file.emplace(*common.plot);
  std::optional<ProfileFiles> profile_files;
  if (const auto* horn = std::get_if<ProfileRequest>(&request)) profile_files.emplace(*horn);

  Output out(output_file ? output_file->fd() : streams.output, output_file ? *common.output : "standard output");
  Warnings warnings;
  const std::unique_ptr<RowWriter> writer = make_row_writer(common.format, out, &warnings);
  {
    // Rows going to the same terminal would be torn by the bar: it is drawn only beside a file or
    // a pipe.
    const bool rows_on_terminal = !output_file && ::isatty(streams.output) == 1;
    Progress progress(streams.error, rows_on_terminal ? 0 : work.rows);
    GuardedRows rows(*writer, progress);
    const std::optional<std::string> svg = run_command(request, rows, warnings, profile_files);
    out.flush();
    if (plot_file && svg) write_all(plot_file->fd(), *svg, *common.plot);
  }
  if (output_file) output_file->commit();
  if (plot_file) plot_file->commit();
  if (profile_files) profile_files->commit();
  if (common.quiet) return;
  for (const std::string& line : warnings.lines()) say(streams.error, fmt::format("{}: warning: {}\n", kProgram, line));
}

// An argument echoed in a message is cut to 80 characters, the last one an ellipsis.
std::string with_arguments_cut(std::string message, std::span<const std::string> args) {
  constexpr std::size_t kMostEchoed = 80;
  for (const std::string& arg : args) {
    if (arg.size() <= kMostEchoed) continue;
    std::size_t keep = kMostEchoed - 1;
    // Not inside a UTF-8 sequence.
    while (keep > 0 && (static_cast<unsigned char>(arg[keep]) & 0xC0U) == 0x80U) --keep;
    const std::string cut = arg.substr(0, keep) + "\u2026";
    for (std::size_t at = message.find(arg); at != std::string::npos; at = message.find(arg, at + cut.size())) {
      message.replace(at, arg.size(), cut);
    }
  }
  return message;
}

}  // namespace

int run_horn(std::span<const std::string> args, const HornStreams& streams) {
  const auto error_line = [&](const std::string& message) {
    say(streams.error, fmt::format("{}: error: {}\n", kProgram, with_arguments_cut(message, args)));
  };
  try {
    if (modes_model_requested(args)) {
      run_modes(args, streams);
      return 0;
    }
    const Request request = parse_command_line(args);
    if (const auto* text = std::get_if<TextRequest>(&request)) {
      write_all(streams.output, text->text, "standard output");
      return 0;
    }
    run_request(request, streams);
    return 0;
  } catch (const UsageError& error) {
    error_line(error.what());
    return kUsageStatus;
  } catch (const InvalidInput& error) {
    error_line(fmt::format("{} was refused: {}", option_of(error.quantity()), error.what()));
    return kUsageStatus;
  } catch (const WriteFailure& error) {
    // The reader of standard output went away: its choice, not a failure to report.
    if (error.error_number() == EPIPE && error.name() == "standard output") return kBrokenPipeStatus;
    error_line(error.what());
    return kWriteFailureStatus;
  } catch (const std::bad_alloc&) {
    error_line("out of memory");
    return kWriteFailureStatus;
  } catch (const std::exception& error) {
    error_line(error.what());
    return kWriteFailureStatus;
  }
}

}  // namespace zavolt::horn

#include "horn/run.hpp"

#include <fmt/format.h>

#include <memory>
#include <new>
#include <optional>
#include <variant>

#include "horn/commands.hpp"
#include "horn/failure.hpp"
#include "horn/options.hpp"
#include "horn/output.hpp"
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

std::optional<std::string> run_command(const Request& request, RowWriter& writer, Warnings& warnings) {
  if (const auto* design = std::get_if<DesignRequest>(&request)) {
    run_design(*design, writer, warnings);
    return std::nullopt;
  }
  if (const auto* analyse = std::get_if<AnalyseRequest>(&request)) return run_analyse(*analyse, writer, warnings);
  if (const auto* horn = std::get_if<ProfileRequest>(&request)) return run_profile(*horn, writer, warnings);
  return run_pattern(std::get<PatternRequest>(request), writer, warnings);
}

// The computation and its files: the output and the plot are opened before anything is computed,
// so that a bad path fails at once.
void run_request(const Request& request, const HornStreams& streams) {
  const CommonOptions& common = std::visit(
      [](const auto& r) -> const CommonOptions& {
        if constexpr (requires { r.common; }) {
          return r.common;
        } else {
          throw std::logic_error("a text request has no options");
        }
      },
      request);
  std::optional<OutputFile> output_file;
  if (common.output) output_file.emplace(*common.output);
  std::optional<OutputFile> plot_file;
  if (common.plot) plot_file.emplace(*common.plot);

  Output out(output_file ? output_file->fd() : streams.output, output_file ? *common.output : "standard output");
  const std::unique_ptr<RowWriter> writer = make_row_writer(common.format, out);
  Warnings warnings;
  const std::optional<std::string> svg = run_command(request, *writer, warnings);
  out.flush();
  if (output_file) output_file->close();
  if (plot_file && svg) {
    write_all(plot_file->fd(), *svg, *common.plot);
    plot_file->close();
  }
  if (common.quiet) return;
  for (const std::string& line : warnings.lines()) say(streams.error, fmt::format("{}: warning: {}\n", kProgram, line));
}

}  // namespace

int run_horn(std::span<const std::string> args, const HornStreams& streams) {
  try {
    const Request request = parse_command_line(args);
    if (const auto* text = std::get_if<TextRequest>(&request)) {
      write_all(streams.output, text->text, "standard output");
      return 0;
    }
    run_request(request, streams);
    return 0;
  } catch (const UsageError& error) {
    say(streams.error, fmt::format("{}: error: {}\n", kProgram, error.what()));
    return kUsageStatus;
  } catch (const InvalidInput& error) {
    say(streams.error, fmt::format("{}: error: {} was refused: {}\n", kProgram, option_of(error.quantity()), error.what()));
    return kUsageStatus;
  } catch (const WriteFailure& error) {
    say(streams.error, fmt::format("{}: error: {}\n", kProgram, error.what()));
    return kWriteFailureStatus;
  } catch (const std::bad_alloc&) {
    say(streams.error, fmt::format("{}: error: out of memory\n", kProgram));
    return kWriteFailureStatus;
  } catch (const std::exception& error) {
    say(streams.error, fmt::format("{}: error: {}\n", kProgram, error.what()));
    return kWriteFailureStatus;
  }
}

}  // namespace zavolt::horn

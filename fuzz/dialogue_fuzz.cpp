// Fuzzes the whole dialogue in-process: arbitrary answer bytes after a fixed report file name.
//
// Invariants: the run ends, normally or with one of the failures answers can cause (end of input,
// a malformed number, a math error), with its message; and the rows on the console are the rows
// in the report file, in the same order. Every sweep is bounded to a few points so that each input
// stays fast. The report file lives in a scratch folder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/driver.hpp"
#include "support/scratch.hpp"

namespace {

constexpr std::int32_t kMostPointsPerSweep = 16;

// The report file, by its absolute name (short enough for the 70-character field) in a scratch
// folder made at start-up; the working directory stays as it is, for libFuzzer's relative paths.
std::string& report_name() {
  static std::string name;
  return name;
}

[[noreturn]] void violated(const char* what, std::string_view input) {
  std::fprintf(stderr, "invariant violated: %s\ninput: '%.*s'\n", what, static_cast<int>(input.size()), input.data());
  std::abort();
}

std::vector<std::string> split(std::string_view text, std::string_view end) {
  std::vector<std::string> parts;
  while (!text.empty()) {
    const std::size_t at = text.find(end);
    parts.emplace_back(text.substr(0, at));
    text.remove_prefix(at == std::string_view::npos ? text.size() : at + end.size());
  }
  return parts;
}

bool blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// A design row (44 columns) or an analysis row (58), with its leading blank.
bool is_row(std::string_view r) {
  auto fields = [&](std::initializer_list<std::pair<std::size_t, std::size_t>> gaps) {
    for (const auto& [from, to] : gaps) {
      if (!blank(r.substr(from, to - from))) return false;
    }
    return true;
  };
  if (r.size() == 44) return fields({{0, 6}, {13, 20}, {27, 36}}) && r[12] != ' ' && r[26] != ' ' && r[43] != ' ';
  if (r.size() == 58) {
    return fields({{0, 5}, {15, 18}, {25, 33}, {40, 51}}) && r[14] != ' ' && r[24] != ' ' && r[39] != ' ' &&
           r[57] != ' ';
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/zavolt-dialogue-fuzz-XXXXXX";
  if (::mkdtemp(folder) == nullptr) std::abort();
  report_name() = std::string(folder) + "/report.txt";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& report_file = report_name();
  const std::string answers = report_file + "\n" + std::string(reinterpret_cast<const char*>(data), size);
  ::unlink(report_file.c_str());
  const zavolt::testing::CapturedFd in(answers);
  const zavolt::testing::CapturedFd out;
  const zavolt::testing::CapturedFd err;

  zavolt::ProgramStreams streams;
  streams.input = in.fd();
  streams.output = out.fd();
  streams.error = err.fd();
  streams.sweep_point_limit = kMostPointsPerSweep;
  const int status = zavolt::run_program(streams);

  const std::string console = out.contents();
  const std::string failure = err.contents();
  switch (status) {
    case 0:
      if (!failure.empty() || !console.ends_with("Stop - Program terminated.\n")) {
        violated("a normal end without its last line", answers);
      }
      break;
    case 3:
      if (!failure.starts_with("\r\nrun-time error M6201: MATH\r\n- sqrt: DOMAIN error\r\n") &&
          !failure.starts_with("\r\nrun-time error M6202: MATH\r\n- log: SING error\r\n") &&
          !failure.starts_with("\r\nrun-time error M6201: MATH\r\n- log: DOMAIN error\r\n")) {
        violated("a math error's message", answers);
      }
      break;
    case 24:
    case 59:
    case 64:
      if (!failure.starts_with("vokrel: severe (" + std::to_string(status) + "): ") ||
          failure.find(", unit 5, file CONIN$\r\n") == std::string::npos) {
        violated("an input error's message", answers);
      }
      break;
    default:
      violated("an exit status answers cannot cause", answers);
  }

  std::vector<std::string> filed;
  const std::string report = zavolt::testing::read_file(report_file);
  if (!report.empty() && !report.ends_with("\r\n")) violated("a report record without its line end", answers);
  for (const std::string& record : split(report, "\r\n")) {
    if (is_row(record)) filed.push_back(record.substr(1));
  }
  std::vector<std::string> shown;
  for (const std::string& line : split(console, "\n")) {
    if (is_row(" " + line)) shown.push_back(line);
  }
  if (shown != filed) violated("the console's rows differ from the report file's", answers);
  return 0;
}

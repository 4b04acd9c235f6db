// Runs of zavolt-horn in-process, its output and error streams captured.
#pragma once

#include <string>
#include <vector>

#include "horn/run.hpp"
#include "support/scratch.hpp"

namespace zavolt::horn::testing {

struct HornRun {
  std::string out;
  std::string err;
  int status = -1;
};

inline HornRun run(const std::vector<std::string>& args) {
  zavolt::testing::CapturedFd out;
  zavolt::testing::CapturedFd err;
  HornRun result;
  result.status = run_horn(args, HornStreams{out.fd(), err.fd()});
  result.out = out.contents();
  result.err = err.contents();
  return result;
}

// The arguments with more appended.
inline std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// The fields of one CSV line without quotes (the numbers and names of these tables hold none).
inline std::vector<std::string> csv_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = line.find(',', from);
    fields.push_back(line.substr(from, comma - from));
    if (comma == std::string::npos) return fields;
    from = comma + 1;
  }
}

// The lines of a text, each without its LF.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = text.find('\n', from);
    lines.push_back(text.substr(from, end - from));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return lines;
}

}  // namespace zavolt::horn::testing

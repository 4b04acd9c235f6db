// Fuzzes the CSV reader of profiles.
//
// Invariants: every text ends in a profile or in CsvError (InvalidInput never: the step length is
// valid). A profile holds 1 to a million sections, each length and radius positive and finite, and
// no slots or rules. An error names a line of the text, in one line of message. A profile written
// in millimetres reads back to the same doubles and writes out again byte for byte; in inches it
// writes out again byte for byte after one round.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "zavolt/profile.hpp"

namespace {

using zavolt::profile::CsvError;
using zavolt::profile::Profile;
using zavolt::profile::Unit;

[[noreturn]] void violated(const char* what, std::string_view input) {
  std::fprintf(stderr, "invariant violated: %s\ninput: '%.*s'\n", what, static_cast<int>(input.size()), input.data());
  std::abort();
}

std::string written(const Profile& profile, Unit unit) {
  std::ostringstream out;
  zavolt::profile::write_csv(out, profile, unit);
  return out.str();
}

Profile read(const std::string& text) {
  std::istringstream in(text);
  return zavolt::profile::read_csv(in, 1e-3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Profile profile;
  try {
    profile = read(text);
  } catch (const CsvError& error) {
    std::size_t lines = 1;
    for (const char c : text) lines += c == '\n' ? 1 : 0;
    if (error.line() < 1 || error.line() > lines) violated("an error beyond the text's lines", text);
    if (error.reason().empty()) violated("an error without a reason", text);
    if (std::string_view(error.what()).find_first_of("\r\n") != std::string_view::npos) {
      violated("an error of more than one line", text);
    }
    return 0;
  }
  if (profile.sections.empty() || profile.sections.size() > 1000000) violated("a section count outside 1 to 10^6", text);
  try {
    zavolt::profile::validate(profile.sections);
  } catch (const zavolt::InvalidInput&) {
    violated("a section not positive and finite", text);
  }
  if (!profile.slots.empty() || profile.parameters || !profile.warnings.empty()) violated("a read profile with rules", text);
  if (profile.sections.size() > 20000) return 0;

  const std::string mm = written(profile, Unit::mm);
  const Profile back = read(mm);
  if (back.sections.size() != profile.sections.size()) violated("millimetres read back to another count", text);
  for (std::size_t i = 0; i < back.sections.size(); ++i) {
    if (back.sections[i].length != profile.sections[i].length || back.sections[i].radius != profile.sections[i].radius) {
      violated("millimetres read back to another double", text);
    }
  }
  if (written(back, Unit::mm) != mm) violated("millimetres written again differently", text);
  const std::string inches = written(read(written(profile, Unit::in)), Unit::in);
  if (written(read(inches), Unit::in) != inches) violated("inches written again differently", text);
  return 0;
}

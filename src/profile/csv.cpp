// The CSV forms of a profile: wall points or sections, each column in its own unit.
//
// Metric units are read and written as exact powers of ten: a number in millimetres is read as the
// same decimal digits times 10^-3, rounded once to the nearest double, and written as the shortest
// digits of the metres shifted by three places. So every double reads back to itself and a file
// that was written writes out again byte for byte. Inches are read as the nearest double times
// 0.0254 and written with the fewest digits that read back, up to 17.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <istream>
#include <iterator>
#include <ostream>
#include <string>
#include <system_error>

#include "zavolt/profile.hpp"

namespace zavolt::profile {

namespace {

constexpr std::size_t kMostSections = 1000000;

struct Column {
  std::string name;  // "z", "length" or "radius"
  Unit unit;
};

std::optional<Column> parse_column(std::string_view text) {
  const std::size_t at = text.rfind('_');
  if (at == std::string_view::npos) return std::nullopt;
  const std::optional<Unit> unit = parse_unit(text.substr(at + 1));
  if (!unit) return std::nullopt;
  return Column{std::string(text.substr(0, at)), *unit};
}

int decimal_shift(Unit unit) {
  switch (unit) {
    case Unit::m: return 0;
    case Unit::mm: return -3;
    case Unit::cm: return -2;
    case Unit::in: return 0;
  }
  return 0;
}

constexpr double kMetresPerInch = 0.0254;

// The text of a field for a message: at most 24 characters, control characters as '?'.
std::string shown(std::string_view field) {
  std::string s(field.substr(0, 24));
  for (char& c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  if (field.size() > 24) s += "...";
  return "'" + s + "'";
}

// Reads a decimal number, whole-field, in metres. Empty when the field is not a finite number.
std::optional<double> metres(std::string_view field, Unit unit) {
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  if (field.empty()) return std::nullopt;
  double plain = 0.0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), plain);
  if (end != field.data() + field.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // Below the smallest double: a zero for the checks that follow; beyond the largest: refused.
    const std::size_t e = field.find_first_of("eE");
    if (e == std::string_view::npos || field.find('-', e) == std::string_view::npos) return std::nullopt;
    return 0.0;
  }
  if (error != std::errc() || !std::isfinite(plain)) return std::nullopt;
  if (unit == Unit::in) return plain * kMetresPerInch;
  if (unit == Unit::m) return plain;
  // The same digits with the exponent shifted: one rounding, of the exact decimal.
  std::string text;
  long long exponent = 0;
  const std::size_t e = field.find_first_of("eE");
  if (e == std::string_view::npos) {
    text.assign(field);
  } else {
    text.assign(field.substr(0, e));
    std::string_view digits = field.substr(e + 1);
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
      negative = digits.front() == '-';
      digits.remove_prefix(1);
    }
    for (const char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1000000000LL);
    if (negative) exponent = -exponent;
  }
  text += 'e';
  text += std::to_string(exponent + decimal_shift(unit));
  double value = 0.0;
  const auto shifted = std::from_chars(text.data(), text.data() + text.size(), value);
  if (shifted.ec == std::errc::result_out_of_range) return 0.0;  // underflow: plain was finite
  return value;
}

// One record of fields, RFC 4180, from `at`; the line counter follows every newline read.
struct Reader {
  std::string_view text;
  std::size_t at = 0;
  std::size_t line = 1;

  [[nodiscard]] bool done() const { return at >= text.size(); }

  // Skips blank and comment lines; false at the end of the text.
  bool next_record() {
    while (!done()) {
      std::size_t end = text.find('\n', at);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view physical = text.substr(at, end - at);
      const bool blank = physical.find_first_not_of(" \t\r") == std::string_view::npos;
      if (!blank && physical.front() != '#') return true;
      at = end + 1;
      if (end < text.size()) ++line;
    }
    return false;
  }

  std::vector<std::string> fields() {
    const std::size_t first_line = line;
    std::vector<std::string> out;
    for (;;) {
      while (!done() && (text[at] == ' ' || text[at] == '\t')) ++at;
      std::string field;
      if (!done() && text[at] == '"') {
        ++at;
        for (;;) {
          if (done()) throw CsvError(first_line, "a quoted field is not closed");
          const char c = text[at++];
          if (c == '"') {
            if (!done() && text[at] == '"') {
              field += '"';
              ++at;
              continue;
            }
            break;
          }
          if (c == '\n') ++line;
          field += c;
        }
        while (!done() && (text[at] == ' ' || text[at] == '\t')) ++at;
        if (!done() && text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
        if (!done() && text[at] != ',' && text[at] != '\n') {
          throw CsvError(line, "text after a quoted field's closing quote");
        }
      } else {
        while (!done() && text[at] != ',' && text[at] != '\n') {
          if (text[at] == '"') throw CsvError(line, "a quote inside a field that is not quoted");
          field += text[at++];
        }
        const std::size_t kept = field.find_last_not_of(" \t\r");
        field.erase(kept == std::string::npos ? 0 : kept + 1);
      }
      out.push_back(std::move(field));
      if (done()) return out;
      if (text[at++] == '\n') {
        ++line;
        return out;
      }
    }
  }
};

}  // namespace

std::string_view unit_suffix(Unit unit) noexcept {
  switch (unit) {
    case Unit::m: return "m";
    case Unit::mm: return "mm";
    case Unit::cm: return "cm";
    case Unit::in: return "in";
  }
  return "m";
}

std::optional<Unit> parse_unit(std::string_view suffix) noexcept {
  for (const Unit unit : {Unit::m, Unit::mm, Unit::cm, Unit::in}) {
    if (suffix == unit_suffix(unit)) return unit;
  }
  return std::nullopt;
}

CsvError::CsvError(std::size_t line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason), line_(line), reason_(reason) {}

Profile read_csv(std::istream& in, double step_length) {
  if (!(std::isfinite(step_length) && step_length > 0.0)) {
    throw InvalidInput(Quantity::step_length, step_length, "must be positive and finite");
  }
  const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Reader reader{content};
  // A spreadsheet's UTF-8 byte order mark before the header.
  if (content.starts_with("\xEF\xBB\xBF")) reader.at = 3;
  if (!reader.next_record()) throw CsvError(reader.line, "the profile is empty: no header");
  const std::size_t header_line = reader.line;
  const std::vector<std::string> header = reader.fields();
  const std::optional<Column> first = header.size() == 2 ? parse_column(header[0]) : std::nullopt;
  const std::optional<Column> second = header.size() == 2 ? parse_column(header[1]) : std::nullopt;
  const bool wall = first && first->name == "z";
  if (!first || !second || (first->name != "z" && first->name != "length") || second->name != "radius") {
    throw CsvError(header_line,
                   "the header must be z_<unit>,radius_<unit> or length_<unit>,radius_<unit>, the unit m, mm, cm or in");
  }
  const std::string first_name = header[0];
  const std::string second_name = header[1];

  Profile profile;
  std::vector<Section>& sections = profile.sections;
  std::optional<Point> previous;  // z and r
  std::size_t last_line = header_line;
  while (reader.next_record()) {
    const std::size_t line = reader.line;
    last_line = line;
    const std::vector<std::string> fields = reader.fields();
    if (fields.size() != 2) {
      throw CsvError(line, "expected 2 fields, " + first_name + " and " + second_name + ", got " +
                               std::to_string(fields.size()));
    }
    const std::optional<double> x = metres(fields[0], first->unit);
    if (!x) throw CsvError(line, first_name + " is not a finite number: " + shown(fields[0]));
    const std::optional<double> r = metres(fields[1], second->unit);
    if (!r) throw CsvError(line, second_name + " is not a finite number: " + shown(fields[1]));
    if (!(*r > 0.0)) throw CsvError(line, second_name + " must be positive, got " + shown(fields[1]));
    if (!wall) {
      if (!(*x > 0.0)) throw CsvError(line, first_name + " must be positive, got " + shown(fields[0]));
      if (sections.size() >= kMostSections) throw CsvError(line, "more than a million sections");
      sections.push_back({*x, *r});
      continue;
    }
    const Point point{*x, *r};
    if (previous) {
      if (point.z < previous->z) throw CsvError(line, first_name + " goes backwards: " + shown(fields[0]));
      const double run = point.z - previous->z;
      if (!std::isfinite(run)) throw CsvError(line, "the wall to this point is longer than any double");
      if (run > 0.0) {
        // A level wall is one section; a sloping one is cut into steps at its midpoints' radii.
        const double count = point.r == previous->r ? 1.0 : std::ceil(run / step_length);
        if (!(count <= static_cast<double>(kMostSections - sections.size()))) {
          throw CsvError(line, "the wall to this point makes more than a million sections");
        }
        const auto n = static_cast<std::size_t>(count);
        const double piece = run / count;
        if (!(piece > 0.0)) throw CsvError(line, "the wall to this point has steps of no length");
        for (std::size_t i = 0; i < n; ++i) {
          const double mid = (static_cast<double>(i) + 0.5) / count;
          sections.push_back({piece, previous->r + (point.r - previous->r) * mid});
        }
      }
    }
    previous = point;
  }
  if (sections.empty()) throw CsvError(last_line, "the profile has no section");
  return profile;
}

namespace {

// The shortest decimal of value that reads back as value from the unit.
std::string number_text(double value, Unit unit) {
  char buffer[64];
  if (unit == Unit::in) {
    const double inches = value / kMetresPerInch;
    std::string best;
    for (int precision = 1; precision <= 17; ++precision) {
      const auto r = std::to_chars(buffer, buffer + sizeof buffer, inches, std::chars_format::general, precision);
      best.assign(buffer, r.ptr);
      double back = 0.0;
      std::from_chars(best.data(), best.data() + best.size(), back);
      if (back * kMetresPerInch == value) break;
    }
    return best;
  }
  // d.ddd e X of the metres, the exponent shifted into the unit.
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const std::string_view s(buffer, static_cast<std::size_t>(r.ptr - buffer));
  const std::size_t e = s.find('e');
  std::string sign;
  std::string digits;
  for (const char c : s.substr(0, e)) {
    if (c == '-') sign = "-";
    if (c >= '0' && c <= '9') digits += c;
  }
  int exponent = 0;
  std::string_view exponent_text = s.substr(e + 1);
  if (exponent_text.front() == '+') exponent_text.remove_prefix(1);
  std::from_chars(exponent_text.data(), exponent_text.data() + exponent_text.size(), exponent);
  exponent -= decimal_shift(unit);
  // value = 0.d1 d2 ... * 10^(exponent + 1)
  const int point = exponent + 1;
  const int count = static_cast<int>(digits.size());
  if (point > 21 || point < -6) {
    std::string out = sign + digits.substr(0, 1);
    if (count > 1) out += "." + digits.substr(1);
    return out + "e" + std::to_string(exponent);
  }
  if (point <= 0) return sign + "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  if (point >= count) return sign + digits + std::string(static_cast<std::size_t>(point - count), '0');
  return sign + digits.substr(0, static_cast<std::size_t>(point)) + "." + digits.substr(static_cast<std::size_t>(point));
}

}  // namespace

void write_csv(std::ostream& out, const Profile& profile, Unit unit) {
  const std::string_view suffix = unit_suffix(unit);
  std::string text = "length_" + std::string(suffix) + ",radius_" + std::string(suffix) + "\n";
  for (const Section& s : profile.sections) {
    text += number_text(s.length, unit);
    text += ',';
    text += number_text(s.radius, unit);
    text += '\n';
  }
  out << text;
}

}  // namespace zavolt::profile

// Fuzzes zavolt-horn's reader of numbers, comma lists and START:STOP:STEP ranges.
//
// Invariants: every text ends in a sequence or in ValueSyntax, nothing else. A sequence holds 1 to
// kMostPoints points. A list's points are strtod's and strtof's readings of its items. A range has
// a finite, non-zero step leading from start towards stop; its count stops at the last point within
// a millionth of a step beyond stop; its first point is start; each point checked lies within
// rounding of the exact decimal start + i step, and is that decimal's nearest binary64 whenever
// the decimal is short (an independent integer reading here); its classic point is the binary32
// sweep point float(i step + start).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "horn/values.hpp"

namespace {

using zavolt::horn::kMostPoints;
using zavolt::horn::parse_values;
using zavolt::horn::ValueSequence;
using zavolt::horn::ValueSyntax;

[[noreturn]] void violated(const char* what, std::string_view input) {
  std::fprintf(stderr, "invariant violated: %s\ninput: '%.*s'\n", what, static_cast<int>(input.size()), input.data());
  std::abort();
}

// Bit for bit, except that any NaN matches any NaN and the reader's zeros are all +0.
bool same(double a, double b) {
  if (b == 0.0) b = 0.0;
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}
bool same(float a, float b) {
  if (b == 0.0f) b = 0.0f;
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  for (std::size_t from = 0;;) {
    const std::size_t at = text.find(separator, from);
    parts.emplace_back(text.substr(from, at - from));
    if (at == std::string_view::npos) return parts;
    from = at + 1;
  }
}

// A plain decimal [sign] digits [. digits] [e [sign] digits] as mantissa * 10^exponent, when the
// mantissa has at most 18 significant digits and the exponent is modest; nullopt otherwise.
struct Short {
  __int128 mantissa;
  long exponent;
};

std::optional<Short> short_decimal(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string digits;
  long exponent = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) digits += text[i++];
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      digits += text[i++];
      --exponent;
    }
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    const std::string rest = text.substr(i + 1);
    if (rest.size() > 6) return std::nullopt;
    exponent += std::strtol(rest.c_str(), nullptr, 10);
  }
  while (!digits.empty() && digits.front() == '0') digits.erase(digits.begin());
  while (!digits.empty() && digits.back() == '0') {
    digits.pop_back();
    ++exponent;
  }
  if (digits.size() > 18) return std::nullopt;
  __int128 m = 0;
  for (const char c : digits) m = m * 10 + (c - '0');
  if (digits.empty()) exponent = 0;
  return Short{negative ? -m : m, exponent};
}

std::string integer_text(__int128 v) {
  if (v == 0) return "0";
  const bool negative = v < 0;
  std::string text;
  for (__int128 u = negative ? -v : v; u > 0; u /= 10) text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(u % 10)));
  return negative ? "-" + text : text;
}

// Start and step over their common power of ten, when both are short decimals.
struct Scaled {
  __int128 start;
  __int128 step;
  long exponent;
};

std::optional<Scaled> scaled(const Short& start, const Short& step) {
  const long exponent = std::min(start.exponent, step.exponent);
  if (start.exponent - exponent > 18 || step.exponent - exponent > 18) return std::nullopt;  // within __int128
  Scaled s{start.mantissa, step.mantissa, exponent};
  for (long k = exponent; k < start.exponent; ++k) s.start *= 10;
  for (long k = exponent; k < step.exponent; ++k) s.step *= 10;
  return s;
}

__int128 magnitude(__int128 v) { return v < 0 ? -v : v; }

// The nearest binary64 of the decimal (start + i step) * 10^exponent, through strtod.
double exact_point(const Scaled& s, std::size_t i) {
  const __int128 n = s.start + static_cast<__int128>(i) * s.step;
  return std::strtod((integer_text(n) + "e" + std::to_string(s.exponent)).c_str(), nullptr);
}

void check_list(const ValueSequence& values, std::string_view text) {
  const std::vector<std::string> items = split(text, ',');
  if (values.size() != items.size()) violated("a list's size is not its item count", text);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!same(values.at(i), std::strtod(items[i].c_str(), nullptr))) violated("a list item's binary64", text);
    if (!same(values.single_at(i), std::strtof(items[i].c_str(), nullptr))) violated("a list item's binary32", text);
  }
}

using Long = long double;
Long longer(double v) { return static_cast<Long>(v); }

void check_range(const ValueSequence& values, std::string_view text) {
  const std::vector<std::string> parts = split(text, ':');
  if (parts.size() != 3) violated("a range without three parts", text);
  const double start = std::strtod(parts[0].c_str(), nullptr);
  const double stop = std::strtod(parts[1].c_str(), nullptr);
  const double step = std::strtod(parts[2].c_str(), nullptr);
  if (!std::isfinite(start) || !std::isfinite(stop) || !std::isfinite(step) || step == 0.0) {
    violated("a range with a zero or non-finite part", text);
  }
  const std::size_t n = values.size();
  // The count, in long double: the last point within a millionth of a step beyond stop, the next
  // one beyond it, both with a margin for the rounding of the binary64 quotient.
  const Long steps = (longer(stop) - longer(start)) / longer(step);
  if (static_cast<Long>(n - 1) > steps + 1e-6L + 1e-9L) violated("a point beyond stop", text);
  if (static_cast<Long>(n) <= steps + 1e-6L - 1e-9L) violated("a point missing before stop", text);
  if (!same(values.at(0), start)) violated("the first point is not start", text);

  const float start_f = std::strtof(parts[0].c_str(), nullptr);
  const float step_f = std::strtof(parts[2].c_str(), nullptr);
  const auto short_start = short_decimal(parts[0]);
  const auto short_step = short_decimal(parts[2]);
  for (const std::size_t i : {std::size_t{0}, std::size_t{1}, n / 2, n - 1}) {
    if (i >= n) continue;
    const double point = values.at(i);
    const Long exact = longer(start) + static_cast<Long>(i) * longer(step);
    const Long scale = std::fabs(longer(start)) + std::fabs(static_cast<Long>(i) * longer(step));
    if (std::fabs(longer(point) - exact) > scale * 1e-15L) violated("a point far from start + i step", text);
    // Comfortably inside 2^53 and 10^+-22 the reader promises the decimal's nearest binary64.
    if (short_start && short_step) {
      const std::optional<Scaled> sc = scaled(*short_start, *short_step);
      const __int128 two52 = static_cast<__int128>(1) << 52;
      const bool comfortable = sc && sc->exponent >= -22 && sc->exponent <= 22 && magnitude(sc->start) <= two52 &&
                               magnitude(sc->step) <= (static_cast<__int128>(1) << 29) &&
                               magnitude(sc->start + static_cast<__int128>(n - 1) * sc->step) <= two52;
      if (comfortable && !same(point, exact_point(*sc, i))) violated("a short decimal point is not its nearest binary64", text);
    }
    const float classic = static_cast<float>(static_cast<double>(i) * static_cast<double>(step_f) + static_cast<double>(start_f));
    if (!same(values.single_at(i), classic)) violated("a classic point", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 256) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ValueSequence values;
  try {
    values = parse_values(text);
  } catch (const ValueSyntax&) {
    return 0;
  }
  if (values.size() == 0 || values.size() > kMostPoints) violated("a size outside 1 to kMostPoints", text);
  if (values.is_range()) {
    check_range(values, text);
  } else {
    check_list(values, text);
  }
  return 0;
}

// Fuzzes the free-form reader and the name field.
//
// Invariants: every read ends in its values or in exactly one of the errors 24, 59, 64 on unit 5,
// file CONIN$; and the first token of the input, read alone into a real and into the integer, gives
// what an independent reading of the token rules gives: the same error, or the same value, a real
// being compared bit for bit with a slow exact conversion written here (the largest float below
// or equal to the decimal found by bisection over the float bit patterns, then the exact midpoint
// decides). A first token "r*v" must read as v written min(r, 3) times, whatever the length of r.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "dialogue/failure.hpp"
#include "dialogue/reader.hpp"

namespace {

using zavolt::IoFailure;
using zavolt::LineSource;
using zavolt::Variable;

[[noreturn]] void violated(const char* what, std::string_view input) {
  std::fprintf(stderr, "invariant violated: %s\ninput: '%.*s'\n", what, static_cast<int>(input.size()), input.data());
  std::abort();
}

// The console's lines: "\n" ends a line, one "\r" before it is removed, a last line without a line
// end still counts, a line holding only byte 26 ends the input.
class Lines : public LineSource {
public:
  explicit Lines(std::string_view text) : text_(text) {}
  std::optional<std::string_view> next_line() override {
    if (ended_ || text_.empty()) return std::nullopt;
    const std::size_t end = text_.find('\n');
    std::string_view line = text_.substr(0, end);
    text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    if (line == "\x1a") {
      ended_ = true;
      return std::nullopt;
    }
    current_.assign(line);  // fresh storage each line: a reader keeping an old view shows under ASan
    return std::string_view(current_);
  }

private:
  std::string_view text_;
  std::string current_;
  bool ended_ = false;
};

// ---------------------------------------------------------------------------------------------
// A minimal unsigned big integer for exact comparisons.
class Big {
public:
  explicit Big(std::uint64_t v = 0) {
    while (v != 0) {
      w_.push_back(static_cast<std::uint32_t>(v));
      v >>= 32;
    }
  }
  void mul(std::uint32_t f) {
    std::uint64_t carry = 0;
    for (auto& x : w_) {
      const std::uint64_t p = std::uint64_t{x} * f + carry;
      x = static_cast<std::uint32_t>(p);
      carry = p >> 32;
    }
    if (carry != 0) w_.push_back(static_cast<std::uint32_t>(carry));
  }
  void add(std::uint32_t a) {
    std::uint64_t carry = a;
    for (auto& x : w_) {
      if (carry == 0) break;
      const std::uint64_t s = std::uint64_t{x} + carry;
      x = static_cast<std::uint32_t>(s);
      carry = s >> 32;
    }
    if (carry != 0) w_.push_back(static_cast<std::uint32_t>(carry));
  }
  void shl(std::size_t bits) {
    for (std::size_t i = 0; i < bits % 32; ++i) mul(2);
    if (!w_.empty()) w_.insert(w_.begin(), bits / 32, 0u);
  }
  static int cmp(const Big& a, const Big& b) {
    if (a.w_.size() != b.w_.size()) return a.w_.size() < b.w_.size() ? -1 : 1;
    for (std::size_t i = a.w_.size(); i-- > 0;) {
      if (a.w_[i] != b.w_[i]) return a.w_[i] < b.w_[i] ? -1 : 1;
    }
    return 0;
  }
  [[nodiscard]] bool zero() const { return w_.empty(); }

private:
  std::vector<std::uint32_t> w_;
};

// digits * 10^exponent, digits without leading zeros.
struct Decimal {
  std::string digits;
  std::int64_t exponent = 0;
};

// Compares the decimal with m * 2^k exactly.
int compare(const Decimal& d, std::uint64_t m, int k) {
  Big left;
  for (const char c : d.digits) {
    left.mul(10);
    left.add(static_cast<std::uint32_t>(c - '0'));
  }
  Big right(m);
  for (std::int64_t i = 0; i < d.exponent; ++i) left.mul(10);
  for (std::int64_t i = 0; i < -d.exponent; ++i) right.mul(10);
  if (k >= 0) right.shl(static_cast<std::size_t>(k)); else left.shl(static_cast<std::size_t>(-k));
  return Big::cmp(left, right);
}

// The float with bit pattern p (positive, finite) as m * 2^k.
void parts_of(std::uint32_t p, std::uint64_t& m, int& k) {
  const std::uint32_t biased = p >> 23;
  const std::uint32_t fraction = p & 0x7FFFFFu;
  if (biased == 0) {
    m = fraction;
    k = -149;
  } else {
    m = fraction | 0x800000u;
    k = static_cast<int>(biased) - 150;
  }
}

float from_bits(std::uint32_t p) {
  float f;
  std::memcpy(&f, &p, sizeof f);
  return f;
}

// The nearest float to a positive decimal, ties to even, any value above the largest float
// infinite.
float slow_nearest(const Decimal& d) {
  if (d.digits.empty()) return 0.0f;
  const auto nd = static_cast<std::int64_t>(d.digits.size());
  if (nd - 1 + d.exponent >= 39) return std::numeric_limits<float>::infinity();
  if (nd + d.exponent <= -46) return 0.0f;
  constexpr std::uint32_t kLargest = 0x7F7FFFFFu;
  std::uint64_t m = 0;
  int k = 0;
  parts_of(kLargest, m, k);
  if (compare(d, m, k) > 0) return std::numeric_limits<float>::infinity();
  // Bisection: the largest pattern whose float is <= d.
  std::uint32_t low = 0;  // float(low) <= d
  std::uint32_t high = kLargest;
  while (low < high) {
    const std::uint32_t mid = low + (high - low + 1) / 2;
    parts_of(mid, m, k);
    if (compare(d, m, k) >= 0) low = mid; else high = mid - 1;
  }
  std::uint64_t m0 = 0, m1 = 0;
  int k0 = 0, k1 = 0;
  parts_of(low, m0, k0);
  parts_of(low + 1, m1, k1);
  // Midpoint (m0 2^k0 + m1 2^k1) / 2 on the finer of the two scales.
  const int kk = std::min(k0, k1);
  const std::uint64_t sum = (m0 << (k0 - kk)) + (m1 << (k1 - kk));
  const int side = compare(d, sum, kk - 1);
  if (side < 0 || (side == 0 && low % 2 == 0)) return from_bits(low);
  return from_bits(low + 1);
}

// ---------------------------------------------------------------------------------------------
// The token rules, read independently.
enum class Kind { Truth, Number, Syntax, Conversion, Repeat, Empty };

struct Reading {
  Kind kind = Kind::Empty;
  bool truth = false;
  bool negative = false;
  bool point_or_letter = false;
  bool sign_exponent = false;
  Decimal value;  // |token|
  std::string normalised;  // for strtod: the exponent introduced by 'e'
  std::string_view count_digits;  // of "r*v": r
  std::string_view repeated;      // of "r*v": v, empty for "r*"
};

bool digit(char c) { return c >= '0' && c <= '9'; }
bool sign(char c) { return c == '+' || c == '-'; }
bool letter(char c) { return std::strchr("EeDdQq", c) != nullptr && c != '\0'; }

Reading read_token(std::string_view t) {
  Reading r;
  if (t.empty()) return r;
  // r* forms are checked by check_repeat().
  std::size_t n = 0;
  while (n < t.size() && digit(t[n])) ++n;
  if (n > 0 && n < t.size() && t[n] == '*') {
    r.kind = Kind::Repeat;
    r.count_digits = t.substr(0, n);
    r.repeated = t.substr(n + 1);
    return r;
  }
  const char head = t[0] == '.' && t.size() > 1 ? t[1] : t[0];
  if (std::strchr("TtFf", head) != nullptr && head != '\0') {
    r.kind = Kind::Truth;
    r.truth = head == 'T' || head == 't';
    return r;
  }
  // Characters and their order.
  bool any_digit = false, point = false, exp_letter = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    const char before = i > 0 ? t[i - 1] : '\0';
    if (digit(c)) {
      any_digit = true;
    } else if (sign(c)) {
      if (sign(before)) { r.kind = Kind::Syntax; return r; }
    } else if (c == '.') {
      if (point) { r.kind = Kind::Syntax; return r; }
      point = true;
    } else if (letter(c)) {
      if (exp_letter || !any_digit || sign(before)) { r.kind = Kind::Syntax; return r; }
      exp_letter = true;
    } else {
      r.kind = Kind::Syntax;
      return r;
    }
  }
  if (!any_digit || sign(t.back())) { r.kind = Kind::Syntax; return r; }
  // Shape: [sign] mantissa [letter [sign] digits | sign digits].
  std::size_t i = 0;
  if (sign(t[i])) r.negative = t[i++] == '-';
  std::string whole, fraction;
  while (i < t.size() && digit(t[i])) whole += t[i++];
  bool has_point = false;
  if (i < t.size() && t[i] == '.') {
    has_point = true;
    ++i;
    while (i < t.size() && digit(t[i])) fraction += t[i++];
  }
  if (whole.empty() && fraction.empty()) { r.kind = Kind::Conversion; return r; }
  bool has_letter = false, has_exponent = false, exponent_negative = false;
  std::string exponent_digits;
  if (i < t.size() && (letter(t[i]) || sign(t[i]))) {
    has_letter = letter(t[i]);
    has_exponent = true;
    if (has_letter) ++i;
    if (i < t.size() && sign(t[i])) exponent_negative = t[i++] == '-';
    while (i < t.size() && digit(t[i])) exponent_digits += t[i++];
    if (exponent_digits.empty()) { r.kind = Kind::Conversion; return r; }
  }
  if (i != t.size()) { r.kind = Kind::Conversion; return r; }
  r.kind = Kind::Number;
  r.point_or_letter = has_point || has_letter;
  r.sign_exponent = has_exponent && !has_letter;
  std::int64_t e = 0;
  for (const char c : exponent_digits) e = std::min<std::int64_t>(e * 10 + (c - '0'), 1'000'000'000);
  if (exponent_negative) e = -e;
  std::string all = whole + fraction;
  const std::size_t first = all.find_first_not_of('0');
  r.value.digits = first == std::string::npos ? "" : all.substr(first);
  r.value.exponent = e - static_cast<std::int64_t>(fraction.size());
  r.normalised = std::string(r.negative ? "-" : "") + (whole.empty() ? "0" : whole) + "." + fraction + "e" +
                 (exponent_negative ? "-" : "") + (exponent_digits.empty() ? "0" : exponent_digits);
  return r;
}

std::optional<int> error_of(const std::function<void()>& read, std::string_view input) {
  try {
    read();
  } catch (const IoFailure& failure) {
    if (failure.unit() != 5 || failure.file() != "CONIN$") violated("console input failure off unit 5", input);
    return failure.number();
  }
  return std::nullopt;
}

void check_first_token(std::string_view text);

// Three reals and the integer read from `line`, starting from fixed values.
struct ReadsOfLine {
  std::optional<int> real_error;
  std::array<float, 3> reals{111.0f, 222.0f, 333.0f};
  std::optional<int> integer_error;
  std::int32_t integer = 12345;

  explicit ReadsOfLine(const std::string& line) {
    Lines real_lines(line);
    real_error = error_of([&] { zavolt::read_values(real_lines, reals[0], reals[1], reals[2]); }, line);
    Lines integer_lines(line);
    integer_error = error_of([&] { zavolt::read_values(integer_lines, integer); }, line);
  }

  [[nodiscard]] bool same_as(const ReadsOfLine& other) const {
    return real_error == other.real_error && std::memcmp(reals.data(), other.reals.data(), sizeof reals) == 0 &&
           integer_error == other.integer_error && integer == other.integer;
  }
};

// "r*v" and "r*". A count of zero is error 59. Any other count, of any length, stands for min(r, n)
// copies of v for n variables: three reals read "r*v" as they read v written that many times, and
// the integer reads it as v. v is checked like a first token of its own; "r*" leaves the variables
// as they were, and too few of them leave the read waiting for more (error 24).
void check_repeat(const Reading& r, const std::string& line) {
  const ReadsOfLine reads(line);
  const ReadsOfLine untouched("");
  const std::size_t first = r.count_digits.find_first_not_of('0');
  if (first == std::string_view::npos) {
    if (reads.real_error != 59 || reads.integer_error != 59) violated("a repeat count of zero", line);
    return;
  }
  const std::string_view count = r.count_digits.substr(first);
  const std::size_t copies = count.size() > 1 ? 3 : std::min<std::size_t>(static_cast<std::size_t>(count[0] - '0'), 3);
  if (r.repeated.empty()) {
    const std::optional<int> expected = copies < 3 ? std::optional<int>(24) : std::nullopt;
    if (reads.real_error != expected || reads.integer_error || reads.integer != untouched.integer ||
        std::memcmp(reads.reals.data(), untouched.reals.data(), sizeof reads.reals) != 0) {
      violated("null values of a repeat count", line);
    }
    return;
  }
  // '*' is no number character; a truth value ignores what follows its letter.
  if (r.repeated.find('*') != std::string_view::npos && read_token(r.repeated).kind != Kind::Truth) {
    if (reads.real_error != 59 || reads.integer_error != 59) violated("a '*' in a repeated value", line);
    return;
  }
  // Each copy followed by a blank: a line of byte 26 alone would be the end of the input instead.
  std::string expanded;
  for (std::size_t i = 0; i < copies; ++i) (expanded += r.repeated) += ' ';
  ReadsOfLine written_out(expanded);
  const ReadsOfLine once{std::string(r.repeated) + ' '};
  written_out.integer_error = once.integer_error;
  written_out.integer = once.integer;
  if (!reads.same_as(written_out)) violated("a repeat count differs from its values written out", line);
  check_first_token(r.repeated);
}

void check_first_token(std::string_view text) {
  const std::size_t end = text.find_first_of(" \t,/\n");
  const std::string_view token = text.substr(0, end);
  const Reading r = read_token(token);
  if (r.kind == Kind::Empty || token == "\x1a") return;  // byte 26 alone ends the input
  const std::string line(token);
  if (r.kind == Kind::Repeat) {
    check_repeat(r, line);
    return;
  }

  float real = std::nanf("");
  Lines real_lines(line);
  const std::optional<int> real_error = error_of([&] { zavolt::read_values(real_lines, real, real); }, line);
  std::int32_t integer = 12345;
  Lines integer_lines(line);
  const std::optional<int> integer_error = error_of([&] { zavolt::read_values(integer_lines, integer); }, line);

  switch (r.kind) {
    case Kind::Truth:
      if (real_error != 24 || real != (r.truth ? -1.0f : 0.0f)) violated("truth value as a real", line);
      if (integer_error || integer != (r.truth ? -1 : 0)) violated("truth value as the integer", line);
      return;
    case Kind::Syntax:
      if (real_error != 59 || integer_error != 59) violated("expected error 59", line);
      return;
    case Kind::Conversion:
      if (real_error != 64 || integer_error != 64) violated("expected error 64", line);
      return;
    default: break;
  }
  // A number: one real read leaves the second variable waiting for more input (error 24).
  if (real_error != 24) violated("a number as a real", line);
  const float magnitude = slow_nearest(r.value);
  const float expected = r.negative ? -magnitude : magnitude;
  if (std::memcmp(&expected, &real, sizeof real) != 0) {
    std::fprintf(stderr, "expected %a, read %a\n", static_cast<double>(expected), static_cast<double>(real));
    violated("a real differs from the exact conversion", line);
  }
  if (!r.point_or_letter) {
    if (r.sign_exponent) {
      if (integer_error != 64) violated("a sign exponent in the integer", line);
      return;
    }
    const bool fits = r.value.digits.size() + static_cast<std::size_t>(0) <= 10 &&
                      std::abs(std::strtoll(r.value.digits.empty() ? "0" : r.value.digits.c_str(), nullptr, 10)) <=
                          (r.negative ? 2147483648LL : 2147483647LL);
    if (!fits) {
      if (integer_error != 64) violated("an integer out of range", line);
      return;
    }
    const long long exact = std::strtoll(r.value.digits.empty() ? "0" : r.value.digits.c_str(), nullptr, 10);
    if (integer_error || integer != static_cast<std::int32_t>(r.negative ? -exact : exact)) {
      violated("an exact integer", line);
    }
    return;
  }
  const double wide = std::trunc(std::strtod(r.normalised.c_str(), nullptr));
  std::int32_t wrapped = 0;
  if (wide >= -9223372036854775808.0 && wide < 9223372036854775808.0) {
    wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(wide))));
  }
  if (integer_error || integer != wrapped) violated("an integer through double", line);
}

// Reads the whole input with variables of the shapes the first byte picks.
void check_reads(std::uint8_t shape, std::string_view text) {
  Lines lines(text);
  std::int32_t integer = 0;
  float reals[3] = {0.0f, 0.0f, 0.0f};
  const std::vector<Variable> variables[] = {
      {Variable{&integer}}, {Variable{&reals[0]}, Variable{&reals[1]}},
      {Variable{&reals[0]}, Variable{&reals[1]}, Variable{&reals[2]}}};
  if (shape & 8) {
    try {
      const std::string name = zavolt::read_name_field(lines);
      if (name.size() != zavolt::kNameFieldWidth) violated("name field width", text);
    } catch (const IoFailure& failure) {
      if (failure.number() != 24) violated("name field failure", text);
      return;
    }
  }
  for (std::size_t read = 0;; ++read) {
    const auto& vars = variables[(shape + read) % 3];
    const std::optional<int> error = error_of([&] { zavolt::read_values(lines, vars); }, text);
    if (!error) continue;
    if (*error != 24 && *error != 59 && *error != 64) violated("an error other than 24, 59, 64", text);
    return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  check_reads(data[0], text);
  check_first_token(text);
  return 0;
}

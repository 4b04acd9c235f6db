#include "dialogue/decimal.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace zavolt {
namespace {

constexpr float kInfF = std::numeric_limits<float>::infinity();
constexpr double kInf = std::numeric_limits<double>::infinity();

// "[-]digits[.digits][e[-]digits]" as the parts nearest_f32/nearest_f64 take.
struct DecimalText {
  bool negative = false;
  std::string digits;
  std::int64_t exponent = 0;

  explicit DecimalText(std::string_view text) {
    std::size_t at = 0;
    negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') ++at;
    std::int64_t fraction_length = 0;
    bool in_fraction = false;
    for (; at < text.size() && text[at] != 'e'; ++at) {
      if (text[at] == '.') {
        in_fraction = true;
        continue;
      }
      digits.push_back(text[at]);
      if (in_fraction) ++fraction_length;
    }
    if (at < text.size()) exponent = std::strtoll(std::string(text.substr(at + 1)).c_str(), nullptr, 10);
    exponent -= fraction_length;
  }

  [[nodiscard]] DecimalNumber number() const { return {negative, digits, exponent}; }
};

float f32_of(std::string_view text) { return nearest_f32(DecimalText(text).number()); }
double f64_of(std::string_view text) { return nearest_f64(DecimalText(text).number()); }

// glibc's strtof, except that anything above the largest binary32 is an infinity. strtod decides
// that case except for values within a binary64 rounding of the largest, which no generated text
// comes near.
float reference_f32(const std::string& text) {
  const float ieee = std::strtof(text.c_str(), nullptr);
  if (std::fabs(ieee) == FLT_MAX && std::fabs(std::strtod(text.c_str(), nullptr)) > static_cast<double>(FLT_MAX)) {
    return std::copysign(kInfF, ieee);
  }
  return ieee;
}

double reference_f64(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

#define EXPECT_SAME_F32(text, expected) \
  EXPECT_EQ(std::bit_cast<std::uint32_t>(f32_of(text)), std::bit_cast<std::uint32_t>(expected)) << (text)
#define EXPECT_SAME_F64(text, expected) \
  EXPECT_EQ(std::bit_cast<std::uint64_t>(f64_of(text)), std::bit_cast<std::uint64_t>(expected)) << (text)

// glibc prints the exact expansion; 160 digits hold every binary32 halfway point, 1100 every
// binary64 one, with zeros to spare.
std::string exact_text(double value, int digits = 1100) {
  std::vector<char> buffer(1200);
  std::snprintf(buffer.data(), buffer.size(), "%.*e", digits, value);
  return buffer.data();
}

std::string exact_text(long double value) {
  std::vector<char> buffer(1200);
  std::snprintf(buffer.data(), buffer.size(), "%.1100Le", value);
  return buffer.data();
}

// An exact decimal text (with digits to spare behind it) nudged to just above or just below.
std::string just_above(std::string text) { return text.insert(text.find('e'), "0001"); }

std::string just_below(std::string text) {
  const std::size_t e = text.find('e');
  const std::size_t last = text.find_last_not_of("0.", e - 1);
  text[last] = static_cast<char>(text[last] - 1);
  for (std::size_t i = last + 1; i < e; ++i) {
    if (text[i] != '.') text[i] = '9';
  }
  return text;
}

const std::vector<std::string>& hand_picked() {
  static const std::vector<std::string> texts = {
      "0", "-0", "000", "1", "-1", "0.1", "0.2", "0.3", "1.1", "123456789", "9007199254740993",
      "3.14159265358979323846264338327950288", "2.718281828459045", "1e10", "1e22", "1e23", "1e-5",
      "9.999999e-1", "0.99999997", "0.99999998", "16777216", "16777217", "16777218", "16777219",
      "33554435", "0.5000000298023223876953125", "0.50000002980232238769531250001",
      "0.50000002980232238769531249999", "1.00000005960464477539062500", "8.589973e9",
      "8.589974e9", "1.17549435e-38", "1.1754942e-38", "1.4e-45", "1.401298464324817e-45",
      "2.1019476964872256e-45", "7.0064923216240861e-46", "3.4e38", "3.4028234e38", "1e38",
      "2.2250738585072014e-308", "2.2250738585072011e-308", "4.9406564584124654e-324", "5e-324",
      "2.4703282292062328e-324", "1.7976931348623157e308", "1.7976931348623158e308",
      "1.7976931348623159e308", "1e308", "1e309", "1e-320", "1e-330", "1e400", "1e-400",
      "0.000000000000000000000000000000000000000000000000000000000000001e62",
      "123456789012345678901234567890e-30", "1e-46", "-1e-46", "1e39", "-1e39", "1e999999999",
      "-1e-999999999",
  };
  return texts;
}

TEST(DecimalAgreesWithCorrectRounding, HandPickedTexts) {
  for (const std::string& text : hand_picked()) {
    EXPECT_SAME_F32(text, reference_f32(text));
    EXPECT_SAME_F64(text, reference_f64(text));
  }
}

TEST(DecimalAgreesWithCorrectRounding, RandomShortAndLongDigitStrings) {
  std::mt19937_64 random(20240611);
  std::uniform_int_distribution<int> length(1, 60);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> float_exponent(-75, 45);
  std::uniform_int_distribution<int> double_exponent(-390, 320);
  for (int i = 0; i < 20000; ++i) {
    std::string digits;
    const int n = length(random);
    for (int k = 0; k < n; ++k) digits.push_back(static_cast<char>('0' + digit(random)));
    const std::string f_text = digits + "e" + std::to_string(float_exponent(random));
    const std::string d_text = digits + "e" + std::to_string(double_exponent(random));
    EXPECT_SAME_F32(f_text, reference_f32(f_text));
    EXPECT_SAME_F64(d_text, reference_f64(d_text));
  }
}

TEST(DecimalAgreesWithCorrectRounding, Binary32ValuesAndTheirHalfwayPoints) {
  std::mt19937 random(7);
  auto draw = [&random] { return static_cast<std::uint32_t>(random()); };
  for (int i = 0; i < 4000; ++i) {
    // Half the draws among the subnormals and the smallest normals.
    const std::uint32_t bits = i % 2 == 0 ? draw() % 0x7F7FFFFFu : draw() % 0x01000000u;
    const float value = std::bit_cast<float>(bits);
    const double tie = (static_cast<double>(value) + static_cast<double>(std::nextafter(value, kInfF))) / 2;
    const std::string tie_text = exact_text(tie, 160);
    for (const std::string& text :
         {exact_text(static_cast<double>(value), 160), tie_text, just_above(tie_text), just_below(tie_text)}) {
      EXPECT_SAME_F32(text, reference_f32(text));
    }
  }
}

TEST(DecimalAgreesWithCorrectRounding, Binary64ValuesAndTheirHalfwayPoints) {
  if (std::numeric_limits<long double>::digits < 54) GTEST_SKIP() << "no exact binary64 halfway points";
  std::mt19937_64 random(11);
  for (int i = 0; i < 1500; ++i) {
    const std::uint64_t bits = i % 2 == 0 ? random() % 0x7FEFFFFFFFFFFFFFu : random() % 0x0020000000000000u;
    const double value = std::bit_cast<double>(bits);
    const long double tie =
        (static_cast<long double>(value) + static_cast<long double>(std::nextafter(value, kInf))) / 2;
    const std::string tie_text = exact_text(tie);
    for (const std::string& text : {exact_text(value), tie_text, just_above(tie_text), just_below(tie_text)}) {
      EXPECT_SAME_F64(text, reference_f64(text));
    }
  }
}

TEST(DecimalAgreesWithCorrectRounding, ThousandDigitMantissas) {
  const std::string zeros(990, '0');
  const std::vector<std::string> texts = {
      "1" + std::string(999, '0') + "e-999",
      "16777217" + zeros + "e-990",                        // exact tie: even
      "16777217" + zeros + "1e-991",                       // tie and a far nonzero digit: up
      "16777216" + std::string(992, '9') + "e-992",        // just below the tie: down
      "9007199254740993" + zeros + "e-990",
      "9007199254740993" + zeros + "1e-991",
      "0." + std::string(1000, '0') + "1e1000",
      std::string(1000, '9'),
      std::string(1000, '9') + "e-1000",
      "-" + std::string(1000, '3') + "e-1300",
      "2" + std::string(1200, '2') + "e-1530",
  };
  for (const std::string& text : texts) {
    EXPECT_SAME_F32(text, reference_f32(text));
    EXPECT_SAME_F64(text, reference_f64(text));
  }
}

TEST(DecimalBinary32Range, OverflowAndUnderflowBoundaries) {
  const float kSmallest = std::numeric_limits<float>::denorm_min();
  const struct {
    std::string text;
    float expected;
  } cases[] = {
      {"3.40282346638528859811704183484516925440e38", FLT_MAX},            // exactly the largest
      {"340282346638528859811704183484516925440", FLT_MAX},
      {"3.402823466385288598117041834845169254399999e38", FLT_MAX},        // just below it
      {"3.4028234e38", FLT_MAX},
      {"-3.40282346638528859811704183484516925440e38", -FLT_MAX},
      // Above the largest, though IEEE rounding would bring these back to it.
      {"3.40282346638528859811704183484516925440000000000000000000000001e38", kInfF},
      {"3.4028235e38", kInfF},
      {"3.4028234664e38", kInfF},
      {"-3.4028235e38", -kInfF},
      {"3.40282356779733661637539395458142568448e38", kInfF},            // largest + half an ulp
      {"1e39", kInfF},
      // 2^-150 is the tie between zero and the smallest subnormal.
      {"7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743319094181060791015625e-46",
       0.0f},
      {"7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743319094181060791015626e-46",
       kSmallest},
      {"-7.0064923216240854e-46", -kSmallest},
      {"7.006492321624085e-46", 0.0f},
      {"1e-46", 0.0f},
      {"-1e-46", -0.0f},
      {"1.40129846432481707092372958328991613128026194187651577175706828388979108268586060148663818836212158203125e-45",
       kSmallest},
      // 1.5 smallest rounds to the even 2; a little less to 1.
      {"2.101947696487225606385594374934874196920392912814773657635602425834686624028790902229957282543182373046875e-45",
       2 * kSmallest},
      {"2.1019476964872256e-45", kSmallest},
  };
  for (const auto& c : cases) EXPECT_SAME_F32(c.text, c.expected);
}

TEST(DecimalBinary64Range, OverflowAndUnderflowBoundaries) {
  const double kSmallest = std::numeric_limits<double>::denorm_min();
  const struct {
    std::string text;
    double expected;
  } cases[] = {
      {"179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096"
       "330286416692887910946555547851940402630657488671505820681908902000708383676273854845817711531764475730"
       "270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177904174497"
       "792",
       kInf},  // largest + half an ulp: the tie goes to the even infinity
      {"179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096"
       "330286416692887910946555547851940402630657488671505820681908902000708383676273854845817711531764475730"
       "270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177904174497"
       "791",
       DBL_MAX},
      {"1.7976931348623158e308", DBL_MAX},
      {"-1.7976931348623159e308", -kInf},
      {"2.4703282292062327208828439643411068618252990130716238221279284125033775363510437593264991818081799618989"
       "8282347722858865463328355177969898199387398005390939063150356595155702263922908583924491051844359318028"
       "49936536152500319370457678249219365623669863658480757001585769269903706311928279558551332927834338409351"
       "978015531246597263579574622766465272827220056374006485499977096599470454020828166226237857393450736339007"
       "967761930577506740176324673600968951340535537458516661134223766678604162159680461914467291840300530057530"
       "849048765391711386591646239524912623653881879636239373280423891018672348497668235089863388587925628302755"
       "995657524455507255189313690836254779186948667994968324049705821028513185451396213837722826145437693412532"
       "098591327667236328125e-324",
       0.0},  // exactly 2^-1075: the tie goes to the even zero
      {"2.4703282292062328e-324", kSmallest},
      {"-2.4703282292062327e-324", -0.0},
  };
  for (const auto& c : cases) EXPECT_SAME_F64(c.text, c.expected);
}

TEST(DecimalExtremeExponents, SaturateWithoutHarm) {
  const struct {
    bool negative;
    std::string digits;
    std::int64_t exponent;
    float f32;
    double f64;
  } cases[] = {
      {false, "1", 999999999, kInfF, kInf},
      {false, "1", -999999999, 0.0f, 0.0},
      {true, "1", 999999999, -kInfF, -kInf},
      {true, "1", -999999999, -0.0f, -0.0},
      {false, "1", std::numeric_limits<std::int64_t>::max(), kInfF, kInf},
      {false, "1", std::numeric_limits<std::int64_t>::min(), 0.0f, 0.0},
      {false, "0", std::numeric_limits<std::int64_t>::max(), 0.0f, 0.0},
      {true, "0000", std::numeric_limits<std::int64_t>::max(), -0.0f, -0.0},
      {false, "", 5, 0.0f, 0.0},
      // Leading zeros do not count towards the magnitude.
      {false, std::string(5000, '0') + "1", 0, 1.0f, 1.0},
      {false, "1" + std::string(5000, '0'), -5000, 1.0f, 1.0},
      {false, "1" + std::string(5000, '0'), std::numeric_limits<std::int64_t>::min(), 0.0f, 0.0},
  };
  for (const auto& c : cases) {
    const DecimalNumber number{c.negative, c.digits, c.exponent};
    EXPECT_EQ(std::bit_cast<std::uint32_t>(nearest_f32(number)), std::bit_cast<std::uint32_t>(c.f32)) << c.exponent;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(nearest_f64(number)), std::bit_cast<std::uint64_t>(c.f64)) << c.exponent;
  }
}

}  // namespace
}  // namespace zavolt

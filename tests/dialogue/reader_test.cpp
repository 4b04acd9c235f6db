#include "dialogue/reader.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "dialogue/failure.hpp"
#include "support/scripted_console.hpp"

namespace zavolt {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kKept = 99.25f;           // what a real holds before the read
constexpr std::int32_t kKeptInteger = 77;  // what the integer holds before the read

using testing::ScriptedConsole;

// The error number of the IoFailure the call throws, 0 when it throws none.
template <typename Call>
int error_of(Call&& call) {
  try {
    call();
  } catch (const IoFailure& failure) {
    EXPECT_EQ(failure.unit(), 5);
    EXPECT_EQ(failure.file(), "CONIN$");
    return failure.number();
  }
  return 0;
}

std::string shown(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "[" + line + "]";
  return text;
}

struct RealsCase {
  std::vector<std::string> lines;
  std::array<float, 3> expected;
  int error = 0;
};

void expect_reals(const RealsCase& c) {
  SCOPED_TRACE(shown(c.lines));
  ScriptedConsole console(c.lines);
  std::array<float, 3> values{kKept, kKept, kKept};
  EXPECT_EQ(error_of([&] { read_values(console, values[0], values[1], values[2]); }), c.error);
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(values[i]), std::bit_cast<std::uint32_t>(c.expected[i]))
        << "value " << i << ": " << values[i] << " instead of " << c.expected[i];
  }
}

TEST(ReaderSeparators, BlanksCommasLineEndsAndNulls) {
  const RealsCase cases[] = {
      {{"1.5 2.5 3.5"}, {1.5f, 2.5f, 3.5f}},
      {{"1,2,3"}, {1, 2, 3}},
      {{"  1 ,  2 ,3  "}, {1, 2, 3}},
      {{"1\t2\t\t3"}, {1, 2, 3}},
      {{"", "   ", "\t", "1", "", "2", "3"}, {1, 2, 3}},  // empty lines supply nothing
      {{"10", ",20", "30"}, {10, 20, 30}},              // the comma separates 10 from 20
      {{"10,", "20,30"}, {10, 20, 30}},
      {{"10,,", "30"}, {10, kKept, 30}},
      {{"10,", ",30"}, {10, kKept, 30}},
      {{"10,,3"}, {10, kKept, 3}},
      {{"10, ,20"}, {10, kKept, 20}},
      {{"10 , , 20"}, {10, kKept, 20}},
      {{",5,6"}, {kKept, 5, 6}},  // a leading comma is a null for the first
      {{"  ,5,6"}, {kKept, 5, 6}},
      {{"", ",5,6"}, {kKept, 5, 6}},
      {{",,6"}, {kKept, kKept, 6}},
      {{",,,"}, {kKept, kKept, kKept}},
      {{"1,2,3,4,5"}, {1, 2, 3}},
  };
  for (const RealsCase& c : cases) expect_reals(c);
}

TEST(ReaderSlash, EndsTheReadAndKeepsTheRest) {
  const RealsCase cases[] = {
      {{"10 /"}, {10, kKept, kKept}},
      {{"10,/"}, {10, kKept, kKept}},
      {{"10/"}, {10, kKept, kKept}},
      {{"/"}, {kKept, kKept, kKept}},
      {{"", "  / 1 2 3"}, {kKept, kKept, kKept}},
      {{"1,,/"}, {1, kKept, kKept}},
      {{"1", "2/3"}, {1, 2, kKept}},
      {{"1 2 3/ abc"}, {1, 2, 3}},
  };
  for (const RealsCase& c : cases) expect_reals(c);
}

TEST(ReaderRepeatCounts, FillValuesAndNulls) {
  const RealsCase cases[] = {
      {{"3*0"}, {0, 0, 0}},
      {{"2*7 8"}, {7, 7, 8}},
      {{"1 2*2.5"}, {1, 2.5f, 2.5f}},
      {{"2*", "8"}, {kKept, kKept, 8}},  // "r*" at the end of a line: r nulls
      {{"2* 8"}, {kKept, kKept, 8}},
      {{"2*,8"}, {kKept, kKept, 8}},  // the comma is the separator after the nulls
      {{"2*/"}, {kKept, kKept, kKept}},
      {{"1 2*/ 9"}, {1, kKept, kKept}},
      {{"1*/"}, {kKept, kKept, kKept}},
      {{"5*4"}, {4, 4, 4}},  // more than there are variables
      {{"1 9*2"}, {1, 2, 2}},
      // A count of any length fills what is left: none wraps around to 0 or to a small count.
      {{"18446744073709551616*5"}, {5, 5, 5}},
      {{"1 36893488147419103233*5 7"}, {1, 5, 5}},
      {{std::string(400, '9') + "*"}, {kKept, kKept, kKept}},
      {{"2 0000000000000000000000000000001*6 7"}, {2, 6, 7}},
      {{"99999999999999999999999999999999999999*4"}, {4, 4, 4}},
      {{"001*5 2*6"}, {5, 6, 6}},
      {{"2*T F"}, {-1, -1, 0}},
      {{"2*-1.5e1 1"}, {-15, -15, 1}},
      {{"1*abc"}, {kKept, kKept, kKept}, 59},  // the repeated value follows the token rules
      {{"2*abc"}, {kKept, kKept, kKept}, 59},
      {{"0*5"}, {kKept, kKept, kKept}, 59},
      {{"00*"}, {kKept, kKept, kKept}, 59},
      {{"+2*3"}, {kKept, kKept, kKept}, 59},  // signed: no repeat count, and '*' is no number
      {{"2**3"}, {kKept, kKept, kKept}, 59},
      {{"2*3*4"}, {kKept, kKept, kKept}, 59},
      {{"1 2*1e"}, {1, kKept, kKept}, 64},
  };
  for (const RealsCase& c : cases) expect_reals(c);
}

TEST(ReaderTruthValues, GiveMinusOneOrZeroToReals) {
  const RealsCase cases[] = {
      {{"T F t"}, {-1, 0, -1}},
      {{".TRUE. .false. .t"}, {-1, 0, -1}},
      {{"Tabc,Fxyz 1"}, {-1, 0, 1}},  // the rest of a truth token is ignored
      {{"f.1.2.x T-9 .F."}, {0, -1, 0}},
      {{"T/"}, {-1, kKept, kKept}},
  };
  for (const RealsCase& c : cases) expect_reals(c);
}

TEST(ReaderRealConversion, NumberFormsAndExponents) {
  const RealsCase cases[] = {
      {{"1.5-3 2+1 1.0E1"}, {0.0015f, 20, 10}},  // a sign alone may introduce the exponent
      {{"1.0d1 1.0Q1 1.0+1"}, {10, 10, 10}},
      {{"1.0e1 1.0D+1 1.0q-1"}, {10, 10, 0.1f}},
      {{"12 -7 +.5"}, {12, -7, 0.5f}},
      {{"5. -0 .5e1"}, {5, -0.0f, 5}},
      {{"0.1 0.2 0.3"}, {0.1f, 0.2f, 0.3f}},
      {{"1.e5 -1.E-5 0001.2500"}, {1e5f, -1e-5f, 1.25f}},
      {{"1e39 -1e39 1e-46"}, {kInf, -kInf, 0}},
      {{"3.4028235e38 3.40282346638528859811704183484516925440e38 -1e-46"}, {kInf, std::numeric_limits<float>::max(), -0.0f}},
      // Exactly halfway between 1 and its successor: to even, never through binary64 first.
      {{"1.000000059604644775390625 1.0000000596046447753906250001 16777217"}, {1, 1.00000012f, 16777216}},
  };
  for (const RealsCase& c : cases) expect_reals(c);
}

TEST(ReaderTokenRules, SyntaxAndConversionErrors) {
  const RealsCase cases[] = {
      {{"abc"}, {kKept, kKept, kKept}, 59},
      {{"1..2"}, {kKept, kKept, kKept}, 59},
      {{"1e2e3"}, {kKept, kKept, kKept}, 59},
      {{"1e2d3"}, {kKept, kKept, kKept}, 59},
      {{"--1"}, {kKept, kKept, kKept}, 59},
      {{"+-1"}, {kKept, kKept, kKept}, 59},
      {{"1-+2"}, {kKept, kKept, kKept}, 59},
      {{"1+"}, {kKept, kKept, kKept}, 59},
      {{"1e+"}, {kKept, kKept, kKept}, 59},
      {{"inf"}, {kKept, kKept, kKept}, 59},
      {{"nan"}, {kKept, kKept, kKept}, 59},
      {{"0x1p3"}, {kKept, kKept, kKept}, 59},
      {{"+"}, {kKept, kKept, kKept}, 59},
      {{"-"}, {kKept, kKept, kKept}, 59},
      {{"."}, {kKept, kKept, kKept}, 59},
      {{"+."}, {kKept, kKept, kKept}, 59},
      {{".e5"}, {kKept, kKept, kKept}, 59},
      {{"e5"}, {kKept, kKept, kKept}, 59},
      {{"d5"}, {kKept, kKept, kKept}, 59},
      {{"1+e5"}, {kKept, kKept, kKept}, 59},
      {{"1.5x"}, {kKept, kKept, kKept}, 59},
      {{"1;2"}, {kKept, kKept, kKept}, 59},
      {{"1\r"}, {kKept, kKept, kKept}, 59},  // only blanks and tabs separate
      {{"1e"}, {kKept, kKept, kKept}, 64},
      {{"1-2-3"}, {kKept, kKept, kKept}, 64},
      {{"1e5+3"}, {kKept, kKept, kKept}, 64},
      {{"1e2.5"}, {kKept, kKept, kKept}, 64},
      {{"1.5e"}, {kKept, kKept, kKept}, 64},
      {{"1.5E-"}, {kKept, kKept, kKept}, 59},
      {{".-5"}, {kKept, kKept, kKept}, 64},
      {{"1-.5"}, {kKept, kKept, kKept}, 64},
      // Values before the offending token stay assigned.
      {{"1,2,abc"}, {1, 2, kKept}, 59},
      {{"1", "2 3abc"}, {1, 2, kKept}, 59},
      {{"1 1e"}, {1, kKept, kKept}, 64},
  };
  for (const RealsCase& c : cases) expect_reals(c);
}

TEST(ReaderEndOfInput, BeforeAllVariablesAreFilled) {
  const RealsCase cases[] = {
      {{}, {kKept, kKept, kKept}, 24},
      {{"", "  ", "\t"}, {kKept, kKept, kKept}, 24},
      {{"1", "2"}, {1, 2, kKept}, 24},
      {{"1,,"}, {1, kKept, kKept}, 24},
      {{"2*"}, {kKept, kKept, kKept}, 24},
  };
  for (const RealsCase& c : cases) expect_reals(c);
}

TEST(ReaderIntegerConversion, ExactOrThroughBinary64) {
  const struct {
    std::string line;
    std::int32_t expected;
    int error = 0;
  } cases[] = {
      {"42", 42},
      {"-42", -42},
      {"+7", 7},
      {"00000000000000000000000042", 42},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"-0", 0},
      {"2.0", 2},
      {"2.9", 2},
      {"2.7", 2},
      {"-2.9", -2},
      {"0.5", 0},
      {"25e-1", 2},
      {"1.5d0", 1},
      {"1.5-3", 0},  // a point: through binary64, 0.0015
      {"2.5+1", 25},
      {"3e9", -1294967296},  // the low 32 bits of the 64-bit integer
      {"1e10", 1410065408},
      {"9.2e18", -1650982912},
      {"-9.2e18", 1650982912},
      {"9223372036854774784.0", -1024},  // the largest binary64 below 2^63
      {"9223372036854775807.0", 0},      // rounds to 2^63: just outside
      {"-9223372036854775808.0", 0},     // -2^63 itself, low 32 bits zero
      {"-2147483649.0", 2147483647},
      {"1e19", 0},  // beyond the 64-bit range
      {"-1e19", 0},
      {"1e400", 0},
      {"T", -1},
      {".false.", 0},
      {",", kKeptInteger},
      {"/", kKeptInteger},
      {"1*", kKeptInteger},
      {"3*5", 5},
      {"12 junk", 12},
      {"99999999999", kKeptInteger, 64},
      {"2147483648", kKeptInteger, 64},
      {"-2147483649", kKeptInteger, 64},
      {"123456789012345678901234567890", kKeptInteger, 64},
      {"-000000000000000000000000000001", -1},
      {"2+1", kKeptInteger, 64},  // a sign-only exponent is no integer form
      {"2-1", kKeptInteger, 64},
      {"1e", kKeptInteger, 64},
      {"12abc", kKeptInteger, 59},
      {"2*x", kKeptInteger, 59},
      {"", kKeptInteger, 24},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ScriptedConsole console({c.line});
    std::int32_t value = kKeptInteger;
    EXPECT_EQ(error_of([&] { read_values(console, value); }), c.error);
    EXPECT_EQ(value, c.expected);
  }
}

TEST(ReaderVariables, TwoRealsAndMixedKindsInOneRead) {
  ScriptedConsole two({"3.5 , 4.5 6"});
  float a = kKept;
  float b = kKept;
  read_values(two, a, b);
  EXPECT_EQ(a, 3.5f);
  EXPECT_EQ(b, 4.5f);

  // A repeated value converts for each kind of variable on its own.
  std::int32_t integer = kKeptInteger;
  float real = kKept;
  const std::array<Variable, 3> mixed{Variable{&real}, Variable{&integer}, Variable{&a}};
  ScriptedConsole repeated({"3*2.75"});
  read_values(repeated, mixed);
  EXPECT_EQ(real, 2.75f);
  EXPECT_EQ(integer, 2);
  EXPECT_EQ(a, 2.75f);

  ScriptedConsole too_big({"2*99999999999"});
  EXPECT_EQ(error_of([&] { read_values(too_big, mixed); }), 64);
  EXPECT_EQ(real, 1e11f);
  EXPECT_EQ(integer, 2);
}

TEST(ReaderLines, EachReadStartsOnAFreshLine) {
  ScriptedConsole console({"1 2 3 4", "5 6 7", "8 / 9", "10", "11 12", "13 ignored", "name field line"});
  float a = 0;
  float b = 0;
  float c = 0;
  read_values(console, a, b, c);
  EXPECT_EQ((std::array{a, b, c}), (std::array{1.0f, 2.0f, 3.0f}));
  read_values(console, a, b, c);
  EXPECT_EQ((std::array{a, b, c}), (std::array{5.0f, 6.0f, 7.0f}));
  read_values(console, a, b, c);  // "/ 9" is discarded with the line
  EXPECT_EQ((std::array{a, b, c}), (std::array{8.0f, 6.0f, 7.0f}));
  read_values(console, a, b, c);  // "12" completes the read; its line is done
  EXPECT_EQ((std::array{a, b, c}), (std::array{10.0f, 11.0f, 12.0f}));
  EXPECT_EQ(console.lines_used(), 5u);
  std::int32_t integer = 0;
  read_values(console, integer);
  EXPECT_EQ(integer, 13);
  EXPECT_EQ(read_name_field(console).substr(0, 16), "name field line ");
  EXPECT_EQ(error_of([&] { read_values(console, integer); }), 24);
  EXPECT_EQ(error_of([&] { read_values(console, integer); }), 24);  // end of input stays
  EXPECT_EQ(integer, 13);
}

TEST(ReaderLines, AReadWithoutVariablesUsesUpOneLine) {
  ScriptedConsole console({"1 2 3", "4"});
  read_values(console, std::span<const Variable>{});
  std::int32_t integer = 0;
  read_values(console, integer);
  EXPECT_EQ(integer, 4);
  EXPECT_EQ(error_of([&] { read_values(console, std::span<const Variable>{}); }), 24);
}

TEST(ReaderLongInput, IsReadInLinearTime) {
  const std::string hundred_thousand_zeros(100000, '0');
  const auto start = std::chrono::steady_clock::now();
  const RealsCase cases[] = {
      {{std::string(1 << 20, ' ') + "1.5" + std::string(1 << 20, '\t') + "2.5", "3.5"}, {1.5f, 2.5f, 3.5f}},
      {{"1" + hundred_thousand_zeros + "e-100000 0." + hundred_thousand_zeros + "25e100001 " +
        hundred_thousand_zeros + "7"},
       {1, 2.5f, 7}},
      {{"1e" + std::string(100000, '9'), "1e-" + std::string(100000, '9'), "-0e" + std::string(100000, '9')},
       {kInf, 0, -0.0f}},
      {{std::string(100000, '9') + "*4"}, {4, 4, 4}},
      {{std::string(1 << 20, '1') + "x"}, {kKept, kKept, kKept}, 59},
      {{"1 2 3 " + std::string(1 << 20, 'x')}, {1, 2, 3}},
  };
  for (const RealsCase& c : cases) expect_reals(c);

  std::vector<std::string> empty_lines(100000);
  empty_lines.push_back("7");
  ScriptedConsole console(std::move(empty_lines));
  std::int32_t integer = 0;
  read_values(console, integer);
  EXPECT_EQ(integer, 7);

  ScriptedConsole huge({"1" + hundred_thousand_zeros + ".0", hundred_thousand_zeros + "5"});
  read_values(huge, integer);
  EXPECT_EQ(integer, 0);
  read_values(huge, integer);
  EXPECT_EQ(integer, 5);
  // Generous even for sanitizer builds; a scan that is quadratic in the line takes hours.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(NameField, OneLineCutOrPaddedToSeventy) {
  const std::string seventy(70, 'n');
  const struct {
    std::string line;
    std::string expected;
  } cases[] = {
      {"report.txt", "report.txt" + std::string(60, ' ')},
      {"", std::string(70, ' ')},
      {seventy, seventy},
      {seventy + "discarded", seventy},
      {"  a, b\tc / 3*4 ", "  a, b\tc / 3*4 " + std::string(55, ' ')},
      {std::string("a\0b", 3), std::string("a\0b", 3) + std::string(67, ' ')},
  };
  for (const auto& c : cases) {
    ScriptedConsole console({c.line, "next"});
    EXPECT_EQ(read_name_field(console), c.expected);
    EXPECT_EQ(console.lines_used(), 1u);
  }
}

TEST(NameField, EndOfInputIsError24) {
  ScriptedConsole console({});
  EXPECT_EQ(error_of([&] { (void)read_name_field(console); }), 24);
}

}  // namespace
}  // namespace zavolt

#include "dialogue/render.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ios>
#include <limits>
#include <random>
#include <string>
#include <string_view>

namespace zavolt {
namespace {

struct FieldCase {
  float value;
  int width;
  int decimals;
  std::string shown;
};

void expect_fields(std::initializer_list<FieldCase> cases) {
  for (const FieldCase& c : cases) {
    EXPECT_EQ(render_fixed(c.value, c.width, c.decimals), c.shown)
        << c.value << " as F" << c.width << "." << c.decimals;
  }
}

TEST(RenderFixed, ExactTiesGoToTheEvenDigit) {
  expect_fields({
      {0.125f, 7, 2, "   0.12"},
      {0.375f, 7, 2, "   0.38"},
      {0.0625f, 7, 3, "  0.062"},
      {0.1875f, 7, 3, "  0.188"},
      {1.03125f, 7, 4, " 1.0312"},
      {2.5f, 4, 0, "  2."},
      {3.5f, 4, 0, "  4."},
      {-0.125f, 7, 2, "  -0.12"},
  });
}

TEST(RenderFixed, RoundsFromTheExactBinaryValue) {
  expect_fields({
      {1.005f, 7, 2, "   1.00"},    // 1.00499999523...
      {2.675f, 7, 2, "   2.67"},    // 2.67499995231...
      {0.045f, 7, 2, "   0.05"},    // 0.04500000178...
      {56.0275f, 8, 3, "  56.028"}, // 56.0275001525...
      {0.3f, 7, 4, " 0.3000"},
      {9.9996f, 7, 3, " 10.000"},   // the carry adds a digit
      {16777216.0f, 18, 3, "      16777216.000"},
      {1e-45f, 7, 3, "  0.000"},    // subnormal
  });
}

TEST(RenderFixed, SignOfValuesBelowZero) {
  expect_fields({
      {-0.004f, 7, 2, "  -0.00"},  // below zero, rounds to zero: the sign stays
      {-0.0f, 7, 2, "   0.00"},    // negative zero is zero
      {0.0f, 7, 4, " 0.0000"},
      {-1.5f, 7, 1, "   -1.5"},
      {-2.2458f, 10, 3, "    -2.246"},
  });
}

TEST(RenderFixed, LeadingZeroOnlyWhenThereIsRoom) {
  expect_fields({
      {0.5f, 3, 1, "0.5"},
      {0.5f, 2, 1, ".5"},
      {-0.5f, 4, 1, "-0.5"},
      {-0.5f, 3, 1, "-.5"},
      {-0.5f, 2, 1, "**"},
  });
}

TEST(RenderFixed, TooWideValuesFillTheFieldWithAsterisks) {
  expect_fields({
      {12345.678f, 7, 2, "*******"},
      {9999.995f, 7, 2, "*******"},  // 9999.9951171875 rounds up to 10000.00
      {9999.99f, 7, 2, "9999.99"},
      {-999.99f, 7, 2, "-999.99"},
      {-1000.0f, 7, 2, "*******"},
      {std::numeric_limits<float>::max(), 10, 3, "**********"},
      {-std::numeric_limits<float>::max(), 8, 3, "********"},
  });
}

TEST(RenderFixed, NonFiniteValues) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  expect_fields({
      {inf, 8, 3, "Infinity"},
      {inf, 10, 3, "  Infinity"},
      {inf, 7, 2, "    Inf"},
      {inf, 3, 1, "Inf"},
      {inf, 2, 1, "**"},
      {-inf, 9, 3, "-Infinity"},
      {-inf, 8, 3, "    -Inf"},
      {-inf, 4, 1, "-Inf"},
      {-inf, 3, 1, "***"},
      {nan, 7, 2, "    NaN"},
      {-nan, 3, 1, "NaN"},
      {nan, 2, 1, "**"},
  });
}

TEST(RenderFixed, AppendsToWhatIsThere) {
  std::string record = " x";
  append_fixed(record, 8.0f, 10, 3);
  EXPECT_EQ(record, " x     8.000");
}

// The C library's "%#.*f" also rounds the exact binary value half to even: across every binary
// exponent of the fields, the two must agree wherever its text fits the field; where it does not,
// only the leading zero may go, else the field is asterisks.
TEST(RenderFixed, AgreesWithTheCLibrarysFixedPoint) {
  std::mt19937 random(2024);
  std::uniform_int_distribution<std::uint32_t> any_bits;
  char expected[64];
  char field[kMostFieldWidth];
  for (int i = 0; i < 300000; ++i) {
    const int width = 1 + i % kMostFieldWidth;
    const int decimals = (i / kMostFieldWidth) % std::min(width, kMostFieldDecimals + 1);
    // Exponents from 2^-40 to 2^63, both signs, every mantissa bit random.
    const std::uint32_t bits = any_bits(random);
    const std::uint32_t exponent = 87 + (bits >> 8) % 104;
    const float value = std::bit_cast<float>((bits & 0x807FFFFFu) | (exponent << 23));
    const std::string_view shown(field, static_cast<std::size_t>(format_fixed(field, value, width, decimals) - field));
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(width));
    const int length = std::snprintf(expected, sizeof expected, "%#*.*f", width, decimals, static_cast<double>(value));
    std::string_view reference(expected, static_cast<std::size_t>(length));
    if (reference.size() > shown.size()) {
      const std::size_t zero = reference.find("0.");
      const bool leading_zero = zero == 0 || (zero == 1 && reference[0] == '-');
      if (leading_zero && reference.size() - 1 == shown.size()) {
        EXPECT_EQ(shown, std::string(reference).erase(zero, 1)) << std::hexfloat << value;
      } else {
        EXPECT_EQ(shown, std::string(shown.size(), '*')) << std::hexfloat << value;
      }
    } else {
      EXPECT_EQ(shown, reference) << std::hexfloat << value << " as F" << width << "." << decimals;
    }
  }
}

}  // namespace
}  // namespace zavolt

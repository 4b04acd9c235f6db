#include "dialogue/render.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

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

}  // namespace
}  // namespace zavolt

// Compares binary32 results bit for bit: a misplaced rounding changes the last bits, which no
// printed decimal of seven digits is sure to show.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>

namespace zavolt::testing {

inline ::testing::AssertionResult same_bits(const char* actual_expr, const char* expected_expr, float actual,
                                            float expected) {
  const auto a = std::bit_cast<std::uint32_t>(actual);
  const auto e = std::bit_cast<std::uint32_t>(expected);
  if (a == e) return ::testing::AssertionSuccess();
  char text[128];
  std::snprintf(text, sizeof text, "%a (0x%08X), expected %a (0x%08X), %d units apart", static_cast<double>(actual),
                a, static_cast<double>(expected), e, static_cast<int>(static_cast<std::int64_t>(a) - e));
  return ::testing::AssertionFailure() << actual_expr << " = " << text << " [" << expected_expr << "]";
}

}  // namespace zavolt::testing

#define EXPECT_F32_BITS(actual, expected) EXPECT_PRED_FORMAT2(::zavolt::testing::same_bits, actual, expected)

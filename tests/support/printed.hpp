// Compares a binary32 result with a value as printed: the result, rounded to as many significant
// digits as the printed value shows, must read the same.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

namespace zavolt::testing {

// Significant digits in a printed decimal such as "-0.0008858616" or "15.9970".
inline int significant_digits(std::string_view printed) {
  int count = 0;
  bool leading = true;
  for (const char c : printed) {
    if (!std::isdigit(static_cast<unsigned char>(c))) continue;
    if (leading && c == '0') continue;
    leading = false;
    ++count;
  }
  return count == 0 ? 1 : count;
}

// `value` rounded to `digits` significant digits, trailing zeros kept ("%#.*g").
inline std::string rounded(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%#.*g", digits, value);
  std::string s = text;
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

inline ::testing::AssertionResult reads_as(const char* value_expr, const char* /*printed_expr*/, float value,
                                           std::string_view printed) {
  const std::string got = rounded(static_cast<double>(value), significant_digits(printed));
  if (got == printed) return ::testing::AssertionSuccess();
  char full[64];
  std::snprintf(full, sizeof full, "%.9g", static_cast<double>(value));
  return ::testing::AssertionFailure() << value_expr << " = " << full << " reads " << got << ", printed "
                                       << printed;
}

}  // namespace zavolt::testing

#define EXPECT_PRINTED(value, printed) EXPECT_PRED_FORMAT2(::zavolt::testing::reads_as, value, printed)

#include "numeric/elementary.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace zavolt {
namespace {

void expect_error(auto call, const char* function, MathErrorKind kind, int number) {
  try {
    (void)call();
    ADD_FAILURE() << "no MathError";
  } catch (const MathError& e) {
    EXPECT_EQ(e.function(), function);
    EXPECT_EQ(e.kind(), kind);
    EXPECT_EQ(e.number(), number);
  }
}

TEST(Elementary, SqrtOfANegativeNumberIsADomainError) {
  expect_error([] { return dsqrt(-1e-300); }, "sqrt", MathErrorKind::Domain, 6201);
  expect_error([] { return dsqrt(-INFINITY); }, "sqrt", MathErrorKind::Domain, 6201);
  EXPECT_EQ(dsqrt(4.0), 2.0);
  EXPECT_TRUE(std::signbit(dsqrt(-0.0)));  // -0 is not below zero
  EXPECT_TRUE(std::isnan(dsqrt(NAN)));
}

TEST(Elementary, LogOfZeroIsASingularityAndOfANegativeNumberADomainError) {
  expect_error([] { return dlog(0.0); }, "log", MathErrorKind::Singularity, 6202);
  expect_error([] { return dlog(-0.0); }, "log", MathErrorKind::Singularity, 6202);
  expect_error([] { return dlog(-2.0); }, "log", MathErrorKind::Domain, 6201);
  EXPECT_EQ(dlog(1.0), 0.0);
  EXPECT_TRUE(std::isnan(dlog(NAN)));
  EXPECT_EQ(dlog(INFINITY), INFINITY);
}

TEST(Elementary, ErrorTextNamesFunctionAndKind) {
  EXPECT_STREQ(MathError("sqrt", MathErrorKind::Domain).what(), "sqrt: DOMAIN error");
  EXPECT_EQ(MathError("log", MathErrorKind::Singularity).kind_name(), "SING");
}

}  // namespace
}  // namespace zavolt

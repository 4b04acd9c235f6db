#include "numeric/elementary.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <ios>
#include <random>
#include <vector>

#include "numeric/fp.hpp"

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


// One sincos has the bits of a sin and a cos, which are called through pointers here so that the
// compiler cannot fuse them into a sincos itself.
TEST(Elementary, SincosHasTheBitsOfSinAndCos) {
  double (*volatile sine)(double) = ::sin;
  double (*volatile cosine)(double) = ::cos;
  std::vector<double> xs = {0.0, -0.0, 1e-310, 1e-300, M_PI_4, M_PI_2, M_PI, 1e22, 1e300, DBL_MAX, -DBL_MAX};
  std::mt19937_64 random(12345);
  for (int i = 0; i < 400000; ++i) {
    // Arguments of every size up to 2^60, each sign, uniform in the bits of the mantissa.
    const double magnitude = std::ldexp(std::uniform_real_distribution<double>(1.0, 2.0)(random), i % 90 - 30);
    xs.push_back(i % 2 == 0 ? magnitude : -magnitude);
  }
  // The gain's phases: Phi x^2 at its nodes for a wide span of Phi.
  for (float phi = 1e-4f; phi < 1e5f; phi *= 1.0001f) {
    for (const float x : {0.004752f, 0.5f, 0.9947004f}) xs.push_back((wide(phi) * wide(x)) * wide(x));
  }
  for (const double x : xs) {
    double s = 0.0;
    double c = 0.0;
    dsincos(x, s, c);
    ASSERT_EQ(std::bit_cast<std::uint64_t>(s), std::bit_cast<std::uint64_t>(sine(x))) << std::hexfloat << x;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(c), std::bit_cast<std::uint64_t>(cosine(x))) << std::hexfloat << x;
  }
  double s = 0.0;
  double c = 0.0;
  dsincos(INFINITY, s, c);
  EXPECT_TRUE(std::isnan(s) && std::isnan(c));
  dsincos(NAN, s, c);
  EXPECT_TRUE(std::isnan(s) && std::isnan(c));
}

}  // namespace
}  // namespace zavolt

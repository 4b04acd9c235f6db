#include "numeric/besj0.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <ios>

#include "pins/kernel_pins.hpp"
#include "support/f32.hpp"
#include "support/printed.hpp"

namespace zavolt {
namespace {

TEST(Besj0Exact, SeriesBranch) {
  EXPECT_EQ(BESJ0(0.0f), 1.0f);  // every term is zero: the running sum stays exactly 1
  EXPECT_PRINTED(BESJ0(1.0f), "0.7651977");
  EXPECT_PRINTED(BESJ0(2.0f), "0.2238908");
  EXPECT_PRINTED(BESJ0(5.0f), "-0.1775967");
  EXPECT_PRINTED(BESJ0(10.0f), "-0.2459191");  // 10 itself still takes the series
}

TEST(Besj0Exact, AsymptoticBranch) {
  EXPECT_PRINTED(BESJ0(std::nextafter(10.0f, 11.0f)), "-0.2459358");
  EXPECT_PRINTED(BESJ0(12.0f), "0.04768924");
  EXPECT_PRINTED(BESJ0(20.0f), "0.1670247");
}

TEST(Besj0Exact, NegativeArgumentsTakeTheSeries) {
  EXPECT_EQ(BESJ0(-1.0f), BESJ0(1.0f));
  EXPECT_PRINTED(BESJ0(-1.0f), "0.7651977");
  // Below -10 the series still runs and float cancellation shows against J0(12).
  EXPECT_PRINTED(BESJ0(-12.0f), "0.04782912");
}

TEST(Besj0Accuracy, EvenOnTheSeriesRange) {
  for (float x = 0.0f; x <= 10.0f; x += 0.37f) EXPECT_EQ(BESJ0(-x), BESJ0(x)) << x;
}

TEST(Besj0Accuracy, CloseToTheLibraryBessel) {
  // Over FINT's range the series is good to a few float units; the asymptotic form beyond 10
  // to about 1e-6 absolute.
  for (float x = 0.0f; x <= 2.5f; x += 0.01f) {
    EXPECT_NEAR(BESJ0(x), std::cyl_bessel_j(0.0, static_cast<double>(x)), 3e-7) << x;
  }
  for (float x = 10.5f; x <= 60.0f; x += 0.5f) {
    EXPECT_NEAR(BESJ0(x), std::cyl_bessel_j(0.0, static_cast<double>(x)), 1e-6) << x;
  }
}

TEST(Besj0Accuracy, NonFiniteArgumentsDoNotHang) {
  EXPECT_TRUE(std::isnan(BESJ0(std::nanf(""))));
  EXPECT_FALSE(std::isfinite(BESJ0(-INFINITY)));
}

// Bits from the independent emulation (pins/generate_kernel_pins.py) over both branches: every
// rounding of the series and of the asymptotic form moves some of them.
TEST(Besj0Exact, PinnedBits) {
  for (const pins::Besj0Pin& p : pins::BESJ0_PINS) EXPECT_F32_BITS(BESJ0(p.x), p.j0) << std::hexfloat << p.x;
}

}  // namespace
}  // namespace zavolt

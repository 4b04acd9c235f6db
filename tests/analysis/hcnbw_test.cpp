#include "analysis/hcnbw.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <ios>
#include <limits>

#include "numeric/elementary.hpp"
#include "pins/kernel_pins.hpp"
#include "support/f32.hpp"
#include "support/printed.hpp"

namespace zavolt {
namespace {

TEST(HcnbwExact, TenGigahertzTwoByTen) {
  const HcnbwDetail d = hcnbw_detail(10.0f, 2.0f, 10.0f);
  EXPECT_PRINTED(d.wavelength, "1.180285");
  EXPECT_PRINTED(d.s, "0.169451");
  EXPECT_EQ(d.bracket, 5);
  EXPECT_PRINTED(d.abscissae[0], "0.16");
  EXPECT_PRINTED(d.abscissae[1], "0.20");
  EXPECT_PRINTED(d.abscissae[2], "0.24");
  EXPECT_PRINTED(d.u3, "2.11516");
  EXPECT_PRINTED(d.u10, "3.66982");
  EXPECT_PRINTED(d.theta3, "0.200038");
  EXPECT_PRINTED(d.theta10, "0.35198");
  EXPECT_PRINTED(d.q3, "142.345");
  EXPECT_PRINTED(d.q10, "151.916");
  EXPECT_PRINTED(d.beamwidth_3db, "22.599");
  EXPECT_PRINTED(d.beamwidth_10db, "39.802");
}

// Pinned from this implementation for the transcripts: the horn of the gain's worked value
// (10 GHz, a = 3 in, L = 15 in).
TEST(HcnbwExact, TenGigahertzThreeByFifteen) {
  const HcnbwDetail d = hcnbw_detail(10.0f, 3.0f, 15.0f);
  EXPECT_PRINTED(d.beamwidth_3db, "15.27561");
  EXPECT_PRINTED(d.beamwidth_10db, "27.03229");
}

TEST(HcnbwExact, TheHalfWavelengthDesignHorn) {
  const HcnbwDetail d = hcnbw_detail(10.0f, 2.92712f, 7.25929f);
  EXPECT_NEAR(d.s, 0.5, 1e-6);
  EXPECT_EQ(d.bracket, 13);
  EXPECT_PRINTED(d.u3, "2.27556");
  EXPECT_PRINTED(d.u10, "4.48298");
  EXPECT_PRINTED(d.beamwidth_3db, "16.669");
  EXPECT_PRINTED(d.beamwidth_10db, "33.142");
}

TEST(HcnbwExact, VeryLongHornTendsToTheFirstEntries) {
  const HcnbwDetail d = hcnbw_detail(10.0f, 2.0f, 1e30f);
  EXPECT_EQ(d.bracket, 1);
  EXPECT_EQ(d.u3, U3TAB[0]);
  EXPECT_EQ(d.u10, U10TAB[0]);
  EXPECT_PRINTED(d.beamwidth_3db, "22.437");
  EXPECT_PRINTED(d.beamwidth_10db, "39.143");
}

// The slant radius nearest to the estimate that gives exactly `s` at 10 GHz with a = 2 in.
float slant_for(float s) {
  float slant = static_cast<float>(4.0 / (2.0 * static_cast<double>(s) * 1.180285));
  for (int i = 0; i < 500; ++i) slant = std::nextafter(slant, 0.0f);
  for (int i = 0; i < 1000; ++i, slant = std::nextafter(slant, INFINITY)) {
    if (hcnbw_detail(10.0f, 2.0f, slant).s == s) return slant;
  }
  return NAN;
}

TEST(HcnbwExact, BeyondTheTableTheLastThreeEntriesExtrapolate) {
  const HcnbwDetail d = hcnbw_detail(10.0f, 2.0f, slant_for(1.2f));
  ASSERT_EQ(d.s, 1.2f);
  EXPECT_EQ(d.bracket, 24);
  EXPECT_PRINTED(d.u3, "6.3238");
  EXPECT_PRINTED(d.u10, "9.8428");
  EXPECT_PRINTED(d.beamwidth_3db, "64.13");
  EXPECT_PRINTED(d.beamwidth_10db, "118.52");
}

TEST(HcnbwExact, BracketAtTabulatedPhaseDeviations) {
  // How S / 0.04 rounds decides whether the bracket starts at the entry or one below it; either
  // way the interpolation returns the tabulated value to within rounding.
  struct Case { float s; std::int32_t bracket; std::size_t entry; };
  for (const Case c : {Case{0.52f, 13, 13}, Case{0.84f, 21, 21}, Case{0.48f, 13, 12}, Case{0.56f, 15, 14}}) {
    const HcnbwDetail d = hcnbw_detail(10.0f, 2.0f, slant_for(c.s));
    ASSERT_EQ(d.s, c.s);
    EXPECT_EQ(d.bracket, c.bracket) << c.s;
    EXPECT_NEAR(d.u3, U3TAB[c.entry], 2e-6) << c.s;
    EXPECT_NEAR(d.u10, U10TAB[c.entry], 4e-6) << c.s;
  }
}

TEST(HcnbwExact, BracketIsClampedForNegativeInfiniteAndNanPhaseDeviation) {
  EXPECT_EQ(hcnbw_detail(10.0f, 2.0f, -10.0f).bracket, 1);  // negative S
  EXPECT_EQ(hcnbw_detail(-10.0f, 2.0f, 10.0f).bracket, 1);  // negative wavelength
  const HcnbwDetail zero_slant = hcnbw_detail(10.0f, 2.0f, 0.0f);
  EXPECT_EQ(zero_slant.s, INFINITY);
  EXPECT_EQ(zero_slant.bracket, 24);
  EXPECT_TRUE(std::isnan(zero_slant.beamwidth_3db));
  EXPECT_TRUE(std::isnan(zero_slant.beamwidth_10db));
  EXPECT_EQ(hcnbw_detail(10.0f, 0.0f, 0.0f).bracket, 1);  // 0/0: NaN
}

TEST(HcnbwExact, TooSmallAnApertureIsASqrtDomainError) {
  try {
    (void)hcnbw_detail(10.0f, 0.5f, 10.0f);
    FAIL() << "no MathError";
  } catch (const MathError& e) {
    EXPECT_EQ(e.function(), "sqrt");
    EXPECT_EQ(e.kind(), MathErrorKind::Domain);
  }
}

TEST(HcnbwExact, RoutineMatchesItsDetail) {
  float bw3 = 0.0f;
  float bw10 = 0.0f;
  HCNBW(10.0f, 2.0f, 10.0f, bw3, bw10);
  const HcnbwDetail d = hcnbw_detail(10.0f, 2.0f, 10.0f);
  EXPECT_EQ(bw3, d.beamwidth_3db);
  EXPECT_EQ(bw10, d.beamwidth_10db);
}

// Bits from the independent emulation (pins/generate_kernel_pins.py): S over every bracket, the
// clamp at the last one and extrapolation beyond 1.
TEST(HcnbwExact, PinnedBits) {
  for (const pins::HcnbwPin& p : pins::HCNBW_PINS) {
    SCOPED_TRACE(::testing::Message() << std::hexfloat << p.frequency << " " << p.radius << " " << p.slant);
    const HcnbwDetail d = hcnbw_detail(p.frequency, p.radius, p.slant);
    EXPECT_F32_BITS(d.u3, p.u3);
    EXPECT_F32_BITS(d.u10, p.u10);
    EXPECT_F32_BITS(d.theta3, p.theta3);
    EXPECT_F32_BITS(d.theta10, p.theta10);
    float bw3 = 0.0f;
    float bw10 = 0.0f;
    HCNBW(p.frequency, p.radius, p.slant, bw3, bw10);
    EXPECT_F32_BITS(bw3, p.beamwidth_3db);
    EXPECT_F32_BITS(bw10, p.beamwidth_10db);
  }
}

}  // namespace
}  // namespace zavolt

#include "design/hccgn.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <ios>

#include "pins/kernel_pins.hpp"
#include "support/f32.hpp"
#include "support/printed.hpp"

namespace zavolt {
namespace {

// 10 GHz, 20 dB.
TEST(HccgnExact, WorkedDesigns) {
  const HccgnDetail half = hccgn_detail(10.0f, 20.0f, 0.5f);
  EXPECT_PRINTED(half.wavelength, "1.180285");
  EXPECT_PRINTED(half.loss, "3.85267");
  EXPECT_PRINTED(static_cast<float>(half.ka), "15.5824");
  EXPECT_PRINTED(half.radius, "2.92712");
  EXPECT_PRINTED(half.slant, "7.25929");

  const HccgnDetail quarter = hccgn_detail(10.0f, 20.0f, 0.25f);
  EXPECT_PRINTED(quarter.loss, "2.16090");
  EXPECT_PRINTED(quarter.radius, "2.40908");
  EXPECT_PRINTED(quarter.slant, "9.83438");

  const HccgnDetail full = hccgn_detail(10.0f, 20.0f, 1.0f);
  EXPECT_PRINTED(full.loss, "10.2944");
  EXPECT_PRINTED(full.radius, "6.14509");
  EXPECT_PRINTED(full.slant, "15.9970");
}

// Pinned from this implementation for the transcripts (10 GHz, 20 dB): beyond the worked values,
// checked against the gain they give under HccgnAccuracy and DesignAgreement.
TEST(HccgnExact, FurtherDesignsAtTenGigahertz) {
  const HccgnDetail six = hccgn_detail(10.0f, 20.0f, 0.6f);
  EXPECT_PRINTED(six.radius, "3.286764");
  EXPECT_PRINTED(six.slant, "7.627268");
  const HccgnDetail twelve = hccgn_detail(10.0f, 20.0f, 1.2f);
  EXPECT_PRINTED(twelve.radius, "8.172890");
  EXPECT_PRINTED(twelve.slant, "23.58051");
}

TEST(HccgnExact, ZeroPhaseDeviationGivesAnInfiniteSlantLength) {
  const HccgnDetail d = hccgn_detail(10.0f, 20.0f, 0.0f);
  EXPECT_EQ(d.loss, LSCOEF[0]);
  EXPECT_PRINTED(d.radius, "2.25874");
  EXPECT_EQ(d.slant, INFINITY);
}

TEST(HccgnExact, NegativePhaseDeviationGivesANegativeSlantLength) {
  EXPECT_LT(hccgn_detail(10.0f, 20.0f, -0.5f).slant, 0.0f);
}

TEST(HccgnExact, RoutineMatchesItsDetail) {
  float radius = 0.0f;
  float slant = 0.0f;
  HCCGN(10.0f, 20.0f, 0.5f, radius, slant);
  const HccgnDetail d = hccgn_detail(10.0f, 20.0f, 0.5f);
  EXPECT_EQ(radius, d.radius);
  EXPECT_EQ(slant, d.slant);
}

TEST(HccgnAccuracy, ScalesWithGainAndWavelength) {
  const HccgnDetail base = hccgn_detail(10.0f, 20.0f, 0.3f);
  const HccgnDetail louder = hccgn_detail(10.0f, 40.0f, 0.3f);
  EXPECT_NEAR(louder.radius / base.radius, 10.0, 1e-5);
  EXPECT_NEAR(louder.slant / base.slant, 100.0, 1e-4);
  const HccgnDetail higher = hccgn_detail(20.0f, 20.0f, 0.3f);
  EXPECT_NEAR(higher.radius / base.radius, 0.5, 1e-6);
  EXPECT_NEAR(higher.slant / base.slant, 0.5, 1e-6);
}

TEST(HccgnAccuracy, LossPolynomialAtItsEnds) {
  EXPECT_PRINTED(hccgn_detail(10.0f, 20.0f, 1.0f).loss, "10.294");
  // The polynomial is not clamped outside 0..1.
  const double s = 2.0;
  double p = 0.0;
  for (int j = 5; j >= 0; --j) p = p * s + static_cast<double>(LSCOEF[static_cast<unsigned>(j)]);
  EXPECT_NEAR(hccgn_detail(10.0f, 20.0f, 2.0f).loss, p, 1e-4);
}

// Bits from the independent emulation (pins/generate_kernel_pins.py) over frequency, gain and S.
TEST(HccgnExact, PinnedBits) {
  for (const pins::HccgnPin& p : pins::HCCGN_PINS) {
    SCOPED_TRACE(::testing::Message() << std::hexfloat << p.frequency << " " << p.gain_db << " "
                                      << p.phase_deviation);
    EXPECT_F32_BITS(hccgn_detail(p.frequency, p.gain_db, p.phase_deviation).loss, p.loss);
    float radius = 0.0f;
    float slant = 0.0f;
    HCCGN(p.frequency, p.gain_db, p.phase_deviation, radius, slant);
    EXPECT_F32_BITS(radius, p.radius);
    EXPECT_F32_BITS(slant, p.slant);
  }
}

}  // namespace
}  // namespace zavolt

// The classic routines behind the public header give the dialogue's values, bit for bit.
#include "zavolt/classic.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "analysis/cchgn.hpp"
#include "analysis/hcnbw.hpp"
#include "design/hccgn.hpp"
#include "numeric/elementary.hpp"

namespace zavolt {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

// Horns from the worked example and the tests of the kernels: (GHz, inches, inches).
struct Case {
  float frequency;
  float radius;
  float slant;
};
constexpr Case kHorns[] = {
    {8.0f, 3.937008f, 15.74803f}, {10.0f, 3.0f, 15.0f},    {10.0f, 2.92712f, 7.25929f},
    {12.0f, 3.937008f, 15.74803f}, {10.0f, 2.0f, 10.0f},  {94.0f, 0.8f, 3.1f},
    {1.5f, 40.0f, 300.0f},         {10.0f, 6.0f, 9.0f},
};

TEST(ClassicExact, GainAndWidthsAreTheKernels) {
  for (const Case& c : kHorns) {
    const float ratio = CCHGN(c.frequency, c.radius, c.slant);
    EXPECT_EQ(bits(classic::gain_ratio(c.frequency, c.radius, c.slant)), bits(ratio));
    // The dialogue's conversion: natural log times 4.34294, rounded once.
    const float db = static_cast<float>(std::log(static_cast<double>(ratio)) * static_cast<double>(4.34294f));
    EXPECT_EQ(bits(classic::gain_db(c.frequency, c.radius, c.slant)), bits(db));
    float bw3 = 0.0f;
    float bw10 = 0.0f;
    HCNBW(c.frequency, c.radius, c.slant, bw3, bw10);
    const classic::Beamwidths w = classic::beamwidths(c.frequency, c.radius, c.slant);
    ASSERT_TRUE(w.bw3 && w.bw10) << c.frequency << " GHz, a = " << c.radius;
    EXPECT_EQ(bits(*w.bw3), bits(bw3));
    EXPECT_EQ(bits(*w.bw10), bits(bw10));
    EXPECT_EQ(bits(classic::phase_deviation(c.frequency, c.radius, c.slant)),
              bits(hcnbw_detail(c.frequency, c.radius, c.slant).s));
  }
}

TEST(ClassicExact, DesignIsTheKernel) {
  for (const float s : {0.0f, 0.1f, 0.5f, 1.0f, 1.3f}) {
    float radius = 0.0f;
    float slant = 0.0f;
    HCCGN(10.0f, 20.0f, s, radius, slant);
    const classic::Design d = classic::design(10.0f, 20.0f, s);
    EXPECT_EQ(bits(d.radius), bits(radius));
    EXPECT_EQ(bits(d.slant), bits(slant));
  }
  EXPECT_EQ(classic::design(10.0f, 20.0f, 0.0f).slant, kInf);
  // S = -0 is the horn without phase error too, not one of slant -infinity.
  EXPECT_EQ(classic::design(10.0f, 20.0f, -0.0f).slant, kInf);
}

// An aperture of 0.5 in at 10 GHz ends the dialogue with the sqrt DOMAIN error; here the width
// that exists is kept and the other is empty.
TEST(ClassicExact, WidthBeyondNinetyDegreesIsEmpty) {
  EXPECT_THROW((void)hcnbw_detail(10.0f, 0.5f, 1000.0f), MathError);
  const classic::Beamwidths none = classic::beamwidths(10.0f, 0.3f, 1000.0f);
  EXPECT_FALSE(none.bw3);
  EXPECT_FALSE(none.bw10);
  // The 3 dB point needs u = 2.09976, the 10 dB point u = 3.60996: between them one width exists.
  const float radius = 0.5f;
  const classic::Beamwidths one = classic::beamwidths(10.0f, radius, 1000.0f);
  ASSERT_TRUE(one.bw3);
  EXPECT_FALSE(one.bw10);
  // sin(theta3) = 1.180285 * 2.09976 / (6.281853 * 0.5) = 0.789: a broad but ordinary width.
  EXPECT_GT(*one.bw3, 0.0f);
  EXPECT_LT(*one.bw3, 180.0f);
}

TEST(ClassicExact, UnitConversionsAndSweepPoints) {
  EXPECT_EQ(bits(classic::inches_from_centimetres(10.0f)), bits(static_cast<float>(10.0 / static_cast<double>(2.54f))));
  EXPECT_EQ(bits(classic::centimetres_from_inches(5.796f)),
            bits(static_cast<float>(static_cast<double>(5.796f) * static_cast<double>(2.54f))));
  // 0.1 + 2 * 0.1 in double, rounded once: not the binary32 sum 0.1f + 0.1f + 0.1f.
  EXPECT_EQ(bits(classic::sweep_point(3, 0.1f, 0.1f)),
            bits(static_cast<float>(2.0 * static_cast<double>(0.1f) + static_cast<double>(0.1f))));
  EXPECT_EQ(classic::sweep_point(1, 8.0f, 2.0f), 8.0f);
}

TEST(ClassicInvalid, NamesTheQuantityAndValue) {
  EXPECT_THROW((void)classic::gain_db(0.0f, 3.0f, 15.0f), InvalidInput);
  EXPECT_THROW((void)classic::gain_db(10.0f, -3.0f, 15.0f), InvalidInput);
  EXPECT_THROW((void)classic::beamwidths(10.0f, 3.0f, 0.0f), InvalidInput);
  EXPECT_THROW((void)classic::beamwidths(10.0f, 3.0f, std::nanf("")), InvalidInput);
  EXPECT_THROW((void)classic::design(10.0f, 20.0f, -0.1f), InvalidInput);
  EXPECT_THROW((void)classic::design(kInf, 20.0f, 0.1f), InvalidInput);
  try {
    (void)classic::gain_db(10.0f, -3.0f, 15.0f);
    FAIL();
  } catch (const InvalidInput& e) {
    EXPECT_STREQ(e.what(), "aperture radius must be positive and finite, got -3");
    EXPECT_EQ(e.quantity(), Quantity::radius);
    EXPECT_EQ(e.value(), -3.0);
  }
  // The domain: 0.05 to 100 wavelengths of 11.80285 / f inches, S up to 4. A radius of 1e30 in
  // gave an infinite gain and widths of 0; classic::design(10, 20, 50) a radius and slant of 0.
  const auto quantity_of = [](auto call) {
    try {
      call();
    } catch (const InvalidInput& e) {
      return e.quantity();
    }
    return Quantity::mode_count;  // accepted
  };
  EXPECT_EQ(quantity_of([] { (void)classic::gain_db(10.0f, 1e30f, kInf); }), Quantity::radius);
  EXPECT_EQ(quantity_of([] { (void)classic::beamwidths(10.0f, 1e-30f, kInf); }), Quantity::radius);
  EXPECT_EQ(quantity_of([] { (void)classic::phase_deviation(10.0f, 120.0f, kInf); }), Quantity::radius);  // 101.7
  EXPECT_EQ(quantity_of([] { (void)classic::phase_deviation(10.0f, 117.0f, kInf); }), Quantity::mode_count);
  EXPECT_EQ(quantity_of([] { (void)classic::gain_db(10.0f, 5.0f, 0.01f); }), Quantity::slant);  // S = 1059
  EXPECT_EQ(quantity_of([] { (void)classic::design(10.0f, 20.0f, 50.0f); }), Quantity::phase_deviation);
  EXPECT_EQ(quantity_of([] { (void)classic::design(10.0f, 400.0f, 0.1f); }), Quantity::directivity);
  EXPECT_EQ(quantity_of([] { (void)classic::design(10.0f, -60.0f, 0.1f); }), Quantity::directivity);
  // Inside, the design is the kernel's, whatever S up to 4 gives.
  for (const float s : {0.0f, 0.5f, 1.0f, 2.0f, 4.0f}) {
    try {
      const classic::Design d = classic::design(10.0f, 20.0f, s);
      float radius = 0.0f;
      float slant = 0.0f;
      HCCGN(10.0f, 20.0f, s, radius, slant);
      EXPECT_EQ(bits(d.radius), bits(radius)) << s;
      EXPECT_GT(d.radius, 0.0f);
    } catch (const InvalidInput& e) {
      EXPECT_EQ(e.quantity(), Quantity::directivity) << s;
    }
  }
  // An infinite slant is a horn without phase error, as in the dialogue.
  EXPECT_EQ(bits(classic::gain_ratio(10.0f, 3.0f, kInf)), bits(CCHGN(10.0f, 3.0f, kInf)));
}

}  // namespace
}  // namespace zavolt

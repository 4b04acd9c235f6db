#include "analysis/cchgn.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <ios>
#include <vector>

#include "design/hccgn.hpp"
#include "numeric/besj0.hpp"
#include "numeric/fp.hpp"
#include "numeric/glint.hpp"
#include "pins/kernel_pins.hpp"
#include "support/f32.hpp"
#include "support/printed.hpp"

namespace zavolt {
namespace {

TEST(CchgnExact, TenGigahertzThreeByFifteen) {
  const CchgnDetail d = cchgn_detail(10.0f, 3.0f, 15.0f);
  EXPECT_PRINTED(d.wavelength, "1.180285");
  EXPECT_PRINTED(d.phi, "1.597034");
  EXPECT_PRINTED(d.ic, "0.1785387");
  EXPECT_PRINTED(d.is, "0.0945016");
  EXPECT_PRINTED(d.gain, "154.4676");
}

TEST(CchgnExact, TwelveGigahertzTwoByTen) {
  const CchgnDetail d = cchgn_detail(12.0f, 2.0f, 10.0f);
  EXPECT_PRINTED(d.wavelength, "0.9835708");
  EXPECT_PRINTED(d.phi, "1.277627");
  EXPECT_PRINTED(d.gain, "103.7139");
}

TEST(CchgnExact, TwentyGigahertzFiveByThirty) {
  const CchgnDetail d = cchgn_detail(20.0f, 5.0f, 30.0f);
  EXPECT_PRINTED(d.phi, "4.436206");
  EXPECT_PRINTED(d.ic, "0.04369139");
  EXPECT_PRINTED(d.is, "0.1206432");
  EXPECT_PRINTED(d.gain, "692.4565");
}

TEST(CchgnExact, VeryLongHornNearlyInPhase) {
  const CchgnDetail d = cchgn_detail(5.0f, 1.0f, 100.0f);
  EXPECT_PRINTED(d.phi, "0.01330862");
  EXPECT_PRINTED(d.is, "0.0008858616");
  EXPECT_PRINTED(d.ic, "0.2158745");
  EXPECT_PRINTED(d.gain, "4.900208");
  // Phi -> 0: Ic tends to J1(2.404826) / 2.404826.
  EXPECT_NEAR(d.ic, std::cyl_bessel_j(1.0, 2.404826) / 2.404826, 2e-5);
}

TEST(CchgnExact, TheHalfWavelengthDesignHorn) {
  // The printed design, 2.92712 in by 7.25929 in.
  const CchgnDetail d = cchgn_detail(10.0f, 2.92712f, 7.25929f);
  EXPECT_PRINTED(d.phi, "3.141593");
  EXPECT_PRINTED(d.gain, "99.94406");
  // Fed the design routine's own binary32 output, the gain differs in the seventh digit.
  const HccgnDetail design = hccgn_detail(10.0f, 20.0f, 0.5f);
  EXPECT_PRINTED(CCHGN(10.0f, design.radius, design.slant), "99.94403");
}

TEST(CchgnExact, SignsOfTheArgumentsDoNotChangeTheGain) {
  const CchgnDetail base = cchgn_detail(10.0f, 3.0f, 15.0f);
  for (const auto& [f, a, l] : {std::array{-10.0f, 3.0f, 15.0f}, std::array{10.0f, -3.0f, 15.0f},
                                std::array{10.0f, 3.0f, -15.0f}}) {
    const CchgnDetail d = cchgn_detail(f, a, l);
    EXPECT_EQ(d.gain, base.gain) << f << " " << a << " " << l;
    EXPECT_EQ(d.ic, base.ic);
    EXPECT_EQ(std::fabs(d.is), base.is);
  }
  EXPECT_EQ(cchgn_detail(-10.0f, 3.0f, 15.0f).is, -base.is);  // Phi changes sign
}

TEST(CchgnExact, ZeroFrequencyAndZeroSlantRadius) {
  EXPECT_EQ(CCHGN(0.0f, 3.0f, 15.0f), 0.0f);  // infinite wavelength: exactly no gain
  EXPECT_TRUE(std::isnan(CCHGN(10.0f, 3.0f, 0.0f)));
}

TEST(FintExact, SelectorIsAnExactComparisonWithOne) {
  FPARM block = {0.5f, 0.0f, 1.5f};
  const float cosine = FINT(block.data());
  block[1] = 0.999999f;
  EXPECT_EQ(FINT(block.data()), cosine);
  block[1] = 2.0f;
  EXPECT_EQ(FINT(block.data()), cosine);
  block[1] = 1.0f;
  const float sine = FINT(block.data());
  EXPECT_NE(sine, cosine);
  EXPECT_NEAR(sine, 0.5 * std::cyl_bessel_j(0.0, 2.404826 * 0.5) * std::sin(1.5 * 0.25), 1e-6);
  EXPECT_NEAR(cosine, 0.5 * std::cyl_bessel_j(0.0, 2.404826 * 0.5) * std::cos(1.5 * 0.25), 1e-6);
}

// Bits from the independent emulation (pins/generate_kernel_pins.py) over a wide range of horns,
// by the tabulated nodes and through GLINT over FINT.
TEST(CchgnExact, PinnedBits) {
  for (const pins::CchgnPin& p : pins::CCHGN_PINS) {
    SCOPED_TRACE(::testing::Message() << std::hexfloat << p.frequency << " " << p.radius << " " << p.slant);
    for (const CchgnDetail& d :
         {cchgn_detail(p.frequency, p.radius, p.slant), cchgn_detail_through_glint(p.frequency, p.radius, p.slant)}) {
      EXPECT_F32_BITS(d.phi, p.phi);
      EXPECT_F32_BITS(d.ic, p.ic);
      EXPECT_F32_BITS(d.is, p.is);
      EXPECT_F32_BITS(d.gain, p.gain);
    }
    EXPECT_F32_BITS(CCHGN(p.frequency, p.radius, p.slant), p.gain);
  }
}

// Bits from the independent emulation (pins/generate_kernel_pins.py): the rule over FINT at every
// tabulated order, both parts, swapped and shifted limits, so each rounding of the rule, a
// mistyped node or weight, and each rounding of FINT show.
TEST(FintExact, PinnedBitsThroughGlintAtEveryOrder) {
  for (const pins::GlintPin& p : pins::GLINT_PINS) {
    SCOPED_TRACE(::testing::Message() << "order " << p.order << std::hexfloat << " [" << p.lower << ", " << p.upper
                                      << "] phi " << p.phi);
    FPARM block = {0.0f, 0.0f, p.phi};
    float result = 0.0f;
    GLINT(p.lower, p.upper, block[0], FINT, p.order, result);
    EXPECT_F32_BITS(result, p.cosine);
    block[1] = 1.0f;
    GLINT(p.lower, p.upper, block[0], FINT, p.order, result);
    EXPECT_F32_BITS(result, p.sine);
  }
}


// What GLINT hands FINT, recorded by an integrand that returns FINT's value.
std::vector<float>& visited_nodes() {
  static std::vector<float> nodes;
  return nodes;
}

float recording_fint(float* block) {
  visited_nodes().push_back(block[0]);
  return FINT(block);
}

TEST(GainNodes, AreGlintsNodesWithBesj0AsFintRoundsIt) {
  visited_nodes().clear();
  FPARM block = {0.0f, 0.0f, 0.0f};
  float cosine_part = 0.0f;
  GLINT(0.0f, 1.0f, block[0], recording_fint, 16, cosine_part);
  const auto& nodes = gain_nodes();
  ASSERT_EQ(visited_nodes().size(), nodes.size());
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_F32_BITS(nodes[i].x, visited_nodes()[i]);
    // The compile-time series against the routine itself, at run time.
    const float u = to_f32(wide(2.404826f) * wide(nodes[i].x));
    EXPECT_F32_BITS(nodes[i].r, to_f32(wide(BESJ0(u)) * wide(nodes[i].x)));
    // With Phi = 0 the cosine is exactly 1: FINT returns r itself.
    block = {nodes[i].x, 0.0f, 0.0f};
    EXPECT_F32_BITS(FINT(block.data()), nodes[i].r);
    EXPECT_F32_BITS(nodes[i].weight, GLWTAB[34 + i / 2]);
  }
}

// The tabulated path against GLINT over FINT across Phi: both signs, zero, the tiny, the huge and
// the non-finite.
TEST(GainNodes, IntegralsMatchGlintOverFintAcrossPhi) {
  std::vector<float> phis = {0.0f, -0.0f, 1e-30f, 1e-7f, 3.1415927f, 1e6f, 1e30f, INFINITY, -INFINITY, NAN};
  for (float phi = 1e-6f; phi < 2e5f; phi *= 1.0009f) {
    phis.push_back(phi);
    phis.push_back(-phi);
  }
  for (const float phi : phis) {
    SCOPED_TRACE(::testing::Message() << std::hexfloat << phi);
    const GainIntegrals fast = gain_integrals(phi);
    FPARM block = {0.0f, 0.0f, phi};
    float ic = 0.0f;
    float is = 0.0f;
    GLINT(0.0f, 1.0f, block[0], FINT, 16, ic);
    block[1] = 1.0f;
    GLINT(0.0f, 1.0f, block[0], FINT, 16, is);
    EXPECT_F32_BITS(fast.ic, ic);
    EXPECT_F32_BITS(fast.is, is);
  }
}

}  // namespace
}  // namespace zavolt

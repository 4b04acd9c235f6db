#include "numeric/algip.hpp"

#include <gtest/gtest.h>

#include <array>
#include <ios>

#include "pins/kernel_pins.hpp"
#include "support/f32.hpp"
#include "support/printed.hpp"

namespace zavolt {
namespace {

TEST(AlgipExact, ExtrapolatesTheParabola) {
  constexpr std::array<float, 3> xs = {0.0f, 1.0f, 2.0f};
  constexpr std::array<float, 3> ys = {0.0f, 1.0f, 4.0f};
  EXPECT_EQ(ALGIP(3.0f, xs, ys, 3), 9.0f);
}

TEST(AlgipExact, TheBeamwidthBracket) {
  constexpr std::array<float, 3> xs = {0.16f, 0.20f, 0.24f};
  constexpr std::array<float, 3> ys = {2.11345f, 2.1215f, 2.13168f};
  EXPECT_PRINTED(ALGIP(0.169451f, xs, ys, 3), "2.11516");
}

TEST(AlgipExact, ReturnsTheOrdinateAtAnAbscissa) {
  constexpr std::array<float, 4> xs = {0.16f, 0.20f, 0.24f, 0.7f};
  constexpr std::array<float, 4> ys = {2.11345f, -2.1215f, 2.13168f, 1e-3f};
  for (std::size_t k = 0; k < xs.size(); ++k) EXPECT_EQ(ALGIP(xs[k], xs, ys, 4), ys[k]) << k;
}

TEST(AlgipExact, DegenerateCounts) {
  constexpr std::array<float, 2> xs = {1.0f, 2.0f};
  constexpr std::array<float, 2> ys = {5.0f, 7.0f};
  EXPECT_EQ(ALGIP(1.5f, xs, ys, 0), 0.0f);
  EXPECT_EQ(ALGIP(1.5f, xs, ys, -4), 0.0f);
  EXPECT_EQ(ALGIP(123.0f, xs, ys, 1), 5.0f);
}

// Bits from the independent emulation (pins/generate_kernel_pins.py), two to six points, inside
// and beyond the abscissae.
TEST(AlgipExact, PinnedBits) {
  for (const pins::AlgipPin& p : pins::ALGIP_PINS) {
    EXPECT_F32_BITS(ALGIP(p.x, p.xs, p.ys, p.n), p.value) << p.n << " points at " << std::hexfloat << p.x;
  }
}

}  // namespace
}  // namespace zavolt

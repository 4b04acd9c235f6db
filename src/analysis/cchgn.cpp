#include "analysis/cchgn.hpp"

#include <cstddef>

#include "numeric/besj0.hpp"
#include "numeric/elementary.hpp"
#include "numeric/fp.hpp"
#include "numeric/glint.hpp"
#include "numeric/wavelength.hpp"

namespace zavolt {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kFirstZeroJ0 = 2.404826f;
constexpr float kGainScale = 585.9198f;
constexpr float kCosinePart = 0.0f;
constexpr float kSinePart = 1.0f;
constexpr float kLower = 0.0f;
constexpr float kUpper = 1.0f;
constexpr std::int32_t kOrder = 16;
constexpr std::size_t kOrderPosition = 9;
static_assert(GLORD[kOrderPosition] == kOrder && kGainNodes == static_cast<std::size_t>(kOrder));

// GLINT's half-width and midpoint of [0, 1], rounded as GLINT rounds them.
constexpr float kHalfWidth = to_f32((wide(kUpper) - wide(kLower)) / 2.0);
constexpr float kMidpoint = to_f32((wide(kUpper) + wide(kLower)) / 2.0);

// FINT's factor r at the node x, rounded as FINT rounds it. The nodes lie in [0, 1], so J0's
// argument is at most 2.404826: BESJ0 takes its series there.
constexpr GainNode gain_node(float x, float weight) {
  const float u = to_f32(wide(kFirstZeroJ0) * wide(x));
  return {x, to_f32(wide(besj0_detail::series(u)) * wide(x)), weight};
}

// GLINT's nodes of the order-16 rule on [0, 1] in its visiting order: pair by pair from the
// centre outwards, the lower node of each pair first.
constexpr std::array<GainNode, kGainNodes> tabulate_gain_nodes() {
  std::array<GainNode, kGainNodes> nodes{};
  const auto first_node = static_cast<std::size_t>(GLXBEG[kOrderPosition] - 1);
  const auto first_weight = static_cast<std::size_t>(GLWBEG[kOrderPosition] - 1);
  for (std::size_t i = 0; i < kGainNodes / 2; ++i) {
    const float x = GLXTAB[first_node + i];
    const float w = GLWTAB[first_weight + i];
    nodes[2 * i] = gain_node(to_f32(wide(kMidpoint) - wide(kHalfWidth) * wide(x)), w);
    nodes[2 * i + 1] = gain_node(to_f32(wide(kHalfWidth) * wide(x) + wide(kMidpoint)), w);
  }
  return nodes;
}

constexpr std::array<GainNode, kGainNodes> GAIN_NODES = tabulate_gain_nodes();
static_assert(kFirstZeroJ0 < 10.0f, "the tabulated J0 values must come from BESJ0's series branch");

// The steps of CCHGN around the two integrals, which `integrals` gives for the stored Phi.
template <typename Integrals>
CchgnDetail gain_with(float frequency_ghz, float radius, float slant, Integrals integrals) {
  CchgnDetail d{};
  d.wavelength = wavelength_inches(frequency_ghz);
  d.phi = to_f32(((wide(radius) * wide(radius)) * wide(kPi)) / (wide(d.wavelength) * wide(slant)));
  const GainIntegrals parts = integrals(d.phi);
  d.ic = parts.ic;
  d.is = parts.is;
  const double numerator =
      ((wide(radius) * wide(kGainScale)) * wide(radius)) * (wide(d.ic) * wide(d.ic) + wide(d.is) * wide(d.is));
  d.gain = to_f32(numerator / (wide(d.wavelength) * wide(d.wavelength)));
  return d;
}

GainIntegrals integrals_through_glint(float phi) {
  GainIntegrals parts{};
  FPARM block{};
  block[2] = phi;
  block[1] = kCosinePart;
  GLINT(kLower, kUpper, block[0], FINT, kOrder, parts.ic);
  block[1] = kSinePart;
  GLINT(kLower, kUpper, block[0], FINT, kOrder, parts.is);
  return parts;
}

}  // namespace

float FINT(float* block) {
  const float x = block[0];
  const float selector = block[1];
  const float phi = block[2];
  const float u = to_f32(wide(kFirstZeroJ0) * wide(x));
  const float r = to_f32(wide(BESJ0(u)) * wide(x));
  const double phase = (wide(phi) * wide(x)) * wide(x);
  const double wave = selector == kSinePart ? dsin(phase) : dcos(phase);
  return to_f32(wave * wide(r));
}

const std::array<GainNode, kGainNodes>& gain_nodes() noexcept { return GAIN_NODES; }

GainIntegrals gain_integrals(float phi) {
  float ic = 0.0f;
  float is = 0.0f;
  for (const GainNode& node : GAIN_NODES) {
    const double phase = (wide(phi) * wide(node.x)) * wide(node.x);
    double sine = 0.0;
    double cosine = 0.0;
    dsincos(phase, sine, cosine);
    ic = to_f32(wide(ic) + wide(to_f32(cosine * wide(node.r))) * wide(node.weight));
    is = to_f32(wide(is) + wide(to_f32(sine * wide(node.r))) * wide(node.weight));
  }
  return {to_f32(wide(kHalfWidth) * wide(ic)), to_f32(wide(kHalfWidth) * wide(is))};
}

CchgnDetail cchgn_detail(float frequency_ghz, float radius, float slant) {
  return gain_with(frequency_ghz, radius, slant, gain_integrals);
}

CchgnDetail cchgn_detail_through_glint(float frequency_ghz, float radius, float slant) {
  return gain_with(frequency_ghz, radius, slant, integrals_through_glint);
}

float CCHGN(float frequency_ghz, float radius, float slant) {
  return cchgn_detail(frequency_ghz, radius, slant).gain;
}

}  // namespace zavolt

#include "analysis/cchgn.hpp"

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
constexpr std::int32_t kOrder = 16;

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

CchgnDetail cchgn_detail(float frequency_ghz, float radius, float slant) {
  CchgnDetail d{};
  d.wavelength = wavelength_inches(frequency_ghz);
  FPARM block{};
  d.phi = to_f32(((wide(radius) * wide(radius)) * wide(kPi)) / (wide(d.wavelength) * wide(slant)));
  block[2] = d.phi;
  block[1] = kCosinePart;
  GLINT(0.0f, 1.0f, block[0], FINT, kOrder, d.ic);
  block[1] = kSinePart;
  GLINT(0.0f, 1.0f, block[0], FINT, kOrder, d.is);
  const double numerator =
      ((wide(radius) * wide(kGainScale)) * wide(radius)) * (wide(d.ic) * wide(d.ic) + wide(d.is) * wide(d.is));
  d.gain = to_f32(numerator / (wide(d.wavelength) * wide(d.wavelength)));
  return d;
}

float CCHGN(float frequency_ghz, float radius, float slant) {
  return cchgn_detail(frequency_ghz, radius, slant).gain;
}

}  // namespace zavolt

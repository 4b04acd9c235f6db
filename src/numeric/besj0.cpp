#include "numeric/besj0.hpp"

#include "numeric/elementary.hpp"
#include "numeric/fp.hpp"

namespace zavolt {

namespace {

constexpr float kBranchPoint = 10.0f;
constexpr float kQuarterPi = 0.7853982f;
// 0.6366198, one unit above the binary32 nearest to 2/pi: the amplitude is defined with it.
constexpr float kTwoOverPi = 0.6366198f;

// One factor (numerator / (y * denominator)) of the nested products of P and Q.
double factor(float numerator, float denominator, float y) {
  return wide(numerator) / (wide(y) * wide(denominator));
}

float asymptotic(float x) {
  const float y = to_f32((wide(x) * 64.0) * wide(x));
  // Plainly: P = 1 - 9/(2y) (1 - 1225/(12y) (1 - 9801/(30y) (1 - 38025/(56y) (1 - 104329/(90y))))).
  double p = 1.0 - factor(104329.0f, 90.0f, y);
  p = 1.0 - factor(38025.0f, 56.0f, y) * p;
  p = 1.0 - factor(9801.0f, 30.0f, y) * p;
  p = 1.0 - factor(1225.0f, 12.0f, y) * p;
  const float pp = to_f32(1.0 - factor(9.0f, 2.0f, y) * p);
  // Plainly: Q = (1 - 225/(6y) (1 - 3969/(20y) (1 - 20449/(42y) (1 - 65025/(72y))))) / (8x).
  double q = 1.0 - factor(65025.0f, 72.0f, y);
  q = 1.0 - factor(20449.0f, 42.0f, y) * q;
  q = 1.0 - factor(3969.0f, 20.0f, y) * q;
  const float qq = to_f32((1.0 - factor(225.0f, 6.0f, y) * q) / (wide(x) * 8.0));
  const float chi = to_f32(wide(x) - wide(kQuarterPi));
  float w = to_f32(wide(qq) * dsin(wide(chi)));
  w = to_f32(wide(pp) * dcos(wide(chi)) + wide(w));
  return to_f32(dsqrt(wide(kTwoOverPi) / wide(x)) * wide(w));
}

}  // namespace

float BESJ0(float x) {
  // x in [-inf, 10]: series; (10, inf) and NaN: asymptotic form.
  if (wide(x) - wide(kBranchPoint) <= 0.0) return besj0_detail::series(x);
  return asymptotic(x);
}

}  // namespace zavolt

// The Bessel function of the first kind of order zero.
#pragma once

#include "numeric/fp.hpp"

namespace zavolt {

// J0(x) in binary32.
//
// x <= 10 (negative x included): the power series sum (-1)^j (x/2)^2j / (j!)^2. Terms are formed
// in double from the binary32 term and rounded; five terms at a time go into a binary32 batch
// sum, which is added to the binary32 running sum; the series stops when a batch leaves the
// running sum unchanged, or after 20 batches. Below -10 the float cancellation costs digits.
// x > 10: the asymptotic form sqrt(2/(pi x)) (P cos chi + Q sin chi), chi = x - pi/4, with P to
// the term in (8x)^-10 and Q to the term in (8x)^-9, each rounded once.
[[nodiscard]] float BESJ0(float x);

namespace besj0_detail {

inline constexpr int kTermsPerBatch = 5;
inline constexpr int kMostBatches = 20;

// BESJ0's power series, for any x, rounded exactly as BESJ0 rounds it for x <= 10. It is
// constexpr so that J0 at fixed arguments (the quadrature nodes of the gain) can be tabulated at
// compile time by the routine's own arithmetic.
[[nodiscard]] constexpr float series(float x) noexcept {
  const float h = to_f32(wide(x) / 2.0);
  const float h2 = to_f32(wide(h) * wide(h));
  float term = 1.0f;
  float sum = 1.0f;
  float previous = 1.0f;
  float k = 1.0f;
  for (int batch = 0; batch < kMostBatches; ++batch) {
    float batch_sum = 0.0f;
    for (int n = 0; n < kTermsPerBatch; ++n) {
      term = to_f32(-((wide(term) * wide(h2)) / (wide(k) * wide(k))));
      k = to_f32(wide(k) + 1.0);
      batch_sum = to_f32(wide(batch_sum) + wide(term));
    }
    sum = to_f32(wide(sum) + wide(batch_sum));
    if (previous == sum) break;
    previous = sum;
  }
  return previous;
}

}  // namespace besj0_detail

}  // namespace zavolt

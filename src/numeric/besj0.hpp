// The Bessel function of the first kind of order zero.
#pragma once

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

}  // namespace zavolt

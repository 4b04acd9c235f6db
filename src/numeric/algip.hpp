// Lagrange interpolation.
#pragma once

#include <cstdint>
#include <span>

namespace zavolt {

// The value at x of the polynomial of degree n-1 through (xs[i], ys[i]), i < n, in the Lagrange
// form: the sum over i of ys[i] times the product over j != i of (x - xs[j]) / (xs[i] - xs[j]).
// Each factor is formed as ((x - xs[j]) * product) / (xs[i] - xs[j]) and rounded; each term is
// added to the binary32 sum in index order and rounded. n <= 0 gives 0. At x == xs[k] bit for bit
// the result is ys[k]. Repeated abscissae divide by zero (inf or NaN); n must not exceed the spans.
[[nodiscard]] float ALGIP(float x, std::span<const float> xs, std::span<const float> ys, std::int32_t n);

}  // namespace zavolt

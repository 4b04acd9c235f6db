#include "numeric/algip.hpp"

#include <cstddef>

#include "numeric/fp.hpp"

namespace zavolt {

float ALGIP(float x, std::span<const float> xs, std::span<const float> ys, std::int32_t n) {
  const std::size_t count = n > 0 ? static_cast<std::size_t>(n) : 0;
  float sum = 0.0f;
  for (std::size_t i = 0; i < count; ++i) {
    float product = 1.0f;
    for (std::size_t j = 0; j < count; ++j) {
      if (j == i) continue;
      const double numerator = (wide(x) - wide(xs[j])) * wide(product);
      product = to_f32(numerator / (wide(xs[i]) - wide(xs[j])));
    }
    sum = to_f32(wide(product) * wide(ys[i]) + wide(sum));
  }
  return sum;
}

}  // namespace zavolt

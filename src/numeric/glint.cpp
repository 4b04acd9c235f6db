#include "numeric/glint.hpp"

#include <cstddef>
#include <optional>

#include "numeric/fp.hpp"

namespace zavolt {

namespace {

// The index of `order` in GLORD. The whole table is scanned, as the entries are all distinct.
std::optional<std::size_t> order_position(std::int32_t order) {
  std::optional<std::size_t> found;
  for (std::size_t k = 0; k < GLORD.size(); ++k) {
    if (GLORD[k] == order) found = k;
  }
  return found;
}

// The tables' positions count from 1.
float node(std::int32_t position) { return GLXTAB[static_cast<std::size_t>(position - 1)]; }
float weight(std::int32_t position) { return GLWTAB[static_cast<std::size_t>(position - 1)]; }

// result + F*w, rounded once.
float accumulate(float result, float value, float w) { return to_f32(wide(result) + wide(value) * wide(w)); }

}  // namespace

void GLINT(float lower, float upper, float& abscissa, Integrand integrand, std::int32_t order,
           float& result) {
  const std::optional<std::size_t> k = order_position(order);
  result = 0.0f;
  if (!k) return;

  const std::int32_t pairs = order / 2;
  const std::int32_t odd = order > 2 * pairs ? 1 : 0;
  const float h = to_f32((wide(upper) - wide(lower)) / 2.0);
  const float m = to_f32((wide(upper) + wide(lower)) / 2.0);

  for (std::int32_t i = 1; i <= pairs; ++i) {
    const float x = node(GLXBEG[*k] + i - 1);
    const float w = weight(GLWBEG[*k] + odd + i - 1);
    abscissa = to_f32(wide(m) - wide(h) * wide(x));
    result = accumulate(result, integrand(&abscissa), w);
    abscissa = to_f32(wide(h) * wide(x) + wide(m));
    result = accumulate(result, integrand(&abscissa), w);
  }

  if (odd == 1) {
    abscissa = m;
    const float centre = integrand(&abscissa);
    result = to_f32((wide(result) + wide(centre) * wide(weight(GLWBEG[*k]))) * wide(h));
  } else {
    result = to_f32(wide(h) * wide(result));
  }
}

}  // namespace zavolt

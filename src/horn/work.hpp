// The work of a request, estimated before anything runs, so that a request of hours is refused
// rather than started, and a long one shows its progress.
#pragma once

#include <cstddef>
#include <string>

#include "horn/options.hpp"

namespace zavolt::horn {

// A request that would run longer than this is refused without --no-limit.
inline constexpr double kMostSeconds = 3600.0;

struct WorkEstimate {
  double seconds = 0.0;  // an upper estimate on one core
  std::size_t rows = 0;  // what the progress bar counts
};

// A new command gives its estimate as one more overload of `of` in work.cpp; without one its
// requests run unbounded and without a bar.
[[nodiscard]] WorkEstimate estimated_work(const Request& request);

// "1.6 hours", "12 minutes".
[[nodiscard]] std::string duration_text(double seconds);

}  // namespace zavolt::horn

// A progress bar on standard error for a long run: drawn only when the descriptor is a terminal
// and the run has lasted longer than a second, so that a pipe or a log file never sees it.
#pragma once

#include <chrono>
#include <cstddef>

namespace zavolt::horn {

class Progress {
public:
  // `total` units of work (rows); 0 for a bar that never draws. `delay`: how long the run must
  // last before the bar appears.
  Progress(int fd, std::size_t total, std::chrono::milliseconds delay = std::chrono::milliseconds(1000));
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress();  // erases a bar that was drawn

  // One more unit done; redraws at most ten times a second.
  void advance();
  [[nodiscard]] bool drawn() const noexcept { return drawn_; }

private:
  using Clock = std::chrono::steady_clock;
  void draw();

  int fd_;
  std::size_t total_;
  std::size_t done_ = 0;
  bool terminal_;
  bool drawn_ = false;
  Clock::time_point start_;
  Clock::time_point last_draw_;
  std::chrono::milliseconds delay_;
};

}  // namespace zavolt::horn

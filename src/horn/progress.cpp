#include "horn/progress.hpp"

#include <unistd.h>

#include <fmt/format.h>

#include <string>

namespace zavolt::horn {

namespace {

constexpr std::size_t kBarWidth = 40;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// Best effort: a bar that cannot be drawn is no failure of the run.
void put(int fd, const std::string& text) {
  std::size_t from = 0;
  while (from < text.size()) {
    const ssize_t written = ::write(fd, text.data() + from, text.size() - from);
    if (written <= 0) return;
    from += static_cast<std::size_t>(written);
  }
}

}  // namespace

Progress::Progress(int fd, std::size_t total, std::chrono::milliseconds delay)
    : fd_(fd), total_(total), terminal_(::isatty(fd) == 1), start_(Clock::now()), last_draw_(start_), delay_(delay) {}

Progress::~Progress() {
  if (drawn_) put(fd_, fmt::format("\r{:{}}\r", "", kBarWidth + 20));
}

void Progress::advance() {
  ++done_;
  if (!terminal_ || total_ == 0) return;
  const Clock::time_point now = Clock::now();
  if (now - start_ < delay_) return;
  if (drawn_ && now - last_draw_ < kRedrawInterval && done_ < total_) return;
  last_draw_ = now;
  draw();
}

void Progress::draw() {
  const std::size_t done = done_ < total_ ? done_ : total_;
  // Integer arithmetic: a share of the bar and a percentage, both within range by construction.
  const std::size_t filled = done * kBarWidth / total_;
  const std::size_t percent = done * 100 / total_;
  put(fd_, fmt::format("\r[{:#<{}}{:<{}}] {:3}% {}/{}", "", filled, "", kBarWidth - filled, percent, done, total_));
  drawn_ = true;
}

}  // namespace zavolt::horn

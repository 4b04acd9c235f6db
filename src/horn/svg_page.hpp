// A PLplot stream writing SVG into memory, for the plots and the profile's drawing.
#pragma once

#include <plstream.h>

#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace zavolt::horn {

// kPlotWidth by kPlotHeight points, colour map 0 from the three channels, one page begun (and
// the pen in `pen`, when given). PLplot closes the FILE itself when the stream ends, so the text
// is complete once the stream is gone; svg() ends it and hands the text over.
class SvgPage {
public:
  SvgPage(std::span<const PLINT> red, std::span<const PLINT> green, std::span<const PLINT> blue,
          std::optional<PLINT> pen = std::nullopt);
  SvgPage(const SvgPage&) = delete;
  SvgPage& operator=(const SvgPage&) = delete;
  ~SvgPage();

  plstream& operator*() { return *stream_; }
  plstream* operator->() { return stream_.get(); }

  std::string svg();

private:
  char* buffer_ = nullptr;
  std::size_t length_ = 0;
  FILE* file_ = nullptr;
  std::unique_ptr<plstream> stream_;
};

}  // namespace zavolt::horn

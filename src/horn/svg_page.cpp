#include "horn/svg_page.hpp"

#include <stdio.h>  // open_memstream

#include <cstdlib>
#include <new>

#include "horn/plot.hpp"

namespace zavolt::horn {

SvgPage::SvgPage(std::span<const PLINT> red, std::span<const PLINT> green, std::span<const PLINT> blue,
                 std::optional<PLINT> pen) {
  file_ = ::open_memstream(&buffer_, &length_);
  if (file_ == nullptr) throw std::bad_alloc();
  stream_ = std::make_unique<plstream>();
  stream_->sdev("svg");
  stream_->sfile(file_);
  stream_->spage(0.0, 0.0, kPlotWidth, kPlotHeight, 0, 0);
  stream_->scmap0(red.data(), green.data(), blue.data(), static_cast<PLINT>(red.size()));
  stream_->init();
  stream_->adv(0);
  if (pen) stream_->col0(*pen);
}

SvgPage::~SvgPage() {
  stream_.reset();
  std::free(buffer_);
}

std::string SvgPage::svg() {
  stream_.reset();  // plend: the driver writes the closing tags and closes the FILE
  return std::string(buffer_, length_);
}

}  // namespace zavolt::horn

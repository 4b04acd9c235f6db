// The plots as a user sees them: rsvg-convert renders each SVG, at 72 dpi so that a point is a
// pixel, into a PNG of the page's 800 x 600 that is not blank and shows the curves in colour.
#include <png.h>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "horn/plot.hpp"
#include "support/scratch.hpp"

namespace zavolt::horn {
namespace {

using zavolt::testing::ScratchDir;

struct Picture {
  unsigned width = 0;
  unsigned height = 0;
  std::vector<png_byte> rgb;
};

// Renders the SVG with rsvg-convert (Debian librsvg2-bin) and reads the PNG back.
Picture rendered(const std::string& svg) {
  const std::string png = svg + ".png";
  const std::string command = "rsvg-convert --dpi-x 72 --dpi-y 72 -o '" + png + "' '" + svg + "'";
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "rsvg-convert failed (is librsvg2-bin installed?): " << command;
    return {};
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, png.c_str()) == 0) {
    ADD_FAILURE() << "not a PNG: " << png;
    return {};
  }
  image.format = PNG_FORMAT_RGB;
  Picture picture{image.width, image.height, std::vector<png_byte>(static_cast<std::size_t>(image.width) * image.height * 3)};
  if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) == 0) ADD_FAILURE() << image.message;
  return picture;
}

void expect_drawn(const Picture& picture) {
  EXPECT_EQ(picture.width, static_cast<unsigned>(kPlotWidth));
  EXPECT_EQ(picture.height, static_cast<unsigned>(kPlotHeight));
  std::size_t inked = 0;
  std::size_t coloured = 0;
  for (std::size_t i = 0; i + 2 < picture.rgb.size(); i += 3) {
    const int r = picture.rgb[i];
    const int g = picture.rgb[i + 1];
    const int b = picture.rgb[i + 2];
    if (r < 250 || g < 250 || b < 250) ++inked;
    if (std::abs(r - g) > 60 || std::abs(g - b) > 60) ++coloured;
  }
  const std::size_t pixels = picture.rgb.size() / 3;
  EXPECT_GT(inked, pixels / 50) << "frame, text and curves cover a few percent of the page";
  EXPECT_LT(inked, pixels / 2) << "a white page";
  EXPECT_GT(coloured, 500u) << "the curves are drawn in colour";
}

// A broad beam, its level falling as theta squared, at two frequencies.
std::vector<Curve> beams() {
  std::vector<Curve> curves;
  for (const double narrowing : {1.0, 1.3}) {
    Curve curve{fmt::format("{} GHz", 10.0 * narrowing), {}, {}};
    for (double theta = 0.0; theta <= 90.0; theta += 0.5) {
      curve.x.push_back(theta);
      curve.y.push_back(-12.0 * narrowing * (theta / 60.0) * (theta / 60.0));
    }
    curves.push_back(curve);
  }
  return curves;
}

std::string written(const ScratchDir& dir, const std::string& name, const std::string& svg) {
  const std::string path = (dir / name).string();
  zavolt::testing::write_file(path, svg);
  return path;
}

TEST(Plots, AnAnalysisRendersAtItsPageSize) {
  const ScratchDir dir;
  const Curve gain{"gain", {10.0, 11.0, 12.0}, {19.5, 19.9, 20.2}};
  const std::vector<Curve> widths = {Curve{"3 dB", {10.0, 11.0, 12.0}, {17.0, 16.2, 15.8}},
                                     Curve{"10 dB", {10.0, 11.0, 12.0}, {36.0, std::numeric_limits<double>::quiet_NaN(), 35.1}}};
  expect_drawn(rendered(written(dir, "analysis.svg", analysis_plot_svg("analysis", gain, widths))));
}

TEST(Plots, APatternRendersAtItsPageSize) {
  const ScratchDir dir;
  expect_drawn(rendered(written(dir, "pattern.svg", pattern_plot_svg("pattern", beams(), 64.0))));
}

TEST(Plots, PlplotGapsAndNullsNeverReachTheSvgAsNumbers) {
  const std::string svg = pattern_plot_svg("nulls", {Curve{"f", {0.0, 10.0, 20.0, 30.0},
                                                           {0.0, -std::numeric_limits<double>::infinity(),
                                                            std::numeric_limits<double>::quiet_NaN(), -12.0}}},
                                           std::nullopt);
  // Every coordinate list holds numbers only.
  std::size_t lists = 0;
  for (std::size_t at = svg.find("points=\""); at != std::string::npos; at = svg.find("points=\"", at + 1)) {
    const std::size_t from = at + 8;
    const std::string points = svg.substr(from, svg.find('"', from) - from);
    EXPECT_EQ(points.find_first_not_of("0123456789.,- "), std::string::npos) << points;
    ++lists;
  }
  EXPECT_GT(lists, 0u);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

}  // namespace
}  // namespace zavolt::horn

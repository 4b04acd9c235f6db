// The plots as a user sees them: rsvg-convert renders each SVG, at 72 dpi so that a point is a
// pixel, into a PNG of the page's 800 x 600 that is not blank and shows the curves in colour.
#include <png.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "horn/plot.hpp"
#include "horn_run.hpp"
#include "support/scratch.hpp"

namespace zavolt::horn {
namespace {

using testing::run;
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

TEST(Plots, AnAnalysisRendersAtItsPageSize) {
  const ScratchDir dir;
  const std::string svg = (dir / "analysis.svg").string();
  const testing::HornRun r = run({"analyse", "--radius", "30", "--slant", "80", "--freq", "10.7:12.75:0.25", "--levels",
                                  "3,10,15", "--plot", svg, "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  expect_drawn(rendered(svg));
}

TEST(Plots, APatternRendersAtItsPageSize) {
  const ScratchDir dir;
  const std::string svg = (dir / "pattern.svg").string();
  const testing::HornRun r = run({"pattern", "--radius", "30", "--slant", "80", "--freq", "10.7,12.75",
                                  "--f-over-d", "0.4", "--plot", svg, "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  expect_drawn(rendered(svg));
}

TEST(Plots, AClassicAnalysisWithAMissingWidthStillDraws) {
  // a = 0.6 in: the 10 dB width exists only from about 10 GHz up, a gap in its curve below.
  const ScratchDir dir;
  const std::string svg = (dir / "classic.svg").string();
  const testing::HornRun r = run({"analyse", "--model", "classic", "--unit", "in", "--radius", "0.6", "--slant",
                                  "100", "--freq", "8:14:0.5", "--plot", svg, "--format", "csv", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(",\n"), std::string::npos) << "expected a row without its 10 dB width:\n" << r.out;
  expect_drawn(rendered(svg));
}

TEST(Plots, AProfileDrawingRendersAtItsPageSize) {
  const ScratchDir dir;
  for (const std::vector<std::string>& horn : {std::vector<std::string>{"--radius", "15.4", "--slant", "47.6", "--freq", "12"},
                                               std::vector<std::string>{"--radius", "30", "--slant", "120", "--band",
                                                                        "10.7,12.75", "--unit", "in"}}) {
    const std::string svg = (dir / "profile.svg").string();
    const testing::HornRun r = run(testing::with(testing::with({"profile"}, horn), {"--plot", svg, "--format", "csv"}));
    ASSERT_EQ(r.status, 0) << r.err;
    expect_drawn(rendered(svg));
  }
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

// The STEP and STL files read back: one solid, its volume and bounding box those of the revolved
// outline, nothing printed on standard output.
#include <gtest/gtest.h>

#include <BRepBndLib.hxx>
#include <BRepGProp.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <STEPControl_Reader.hxx>
#include <TopAbs_ShapeEnum.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS_Shape.hxx>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "support/scratch.hpp"
#include "zavolt/cad.hpp"

namespace zavolt::cad {
namespace {

using profile::Metal;
using profile::Point;
using profile::Profile;
using zavolt::testing::read_file;
using zavolt::testing::ScratchDir;

constexpr double kMm = 1e3;  // the files' unit per metre

// pi [sum over the skin's parts (cylinders and cones) - sum of r_k^2 l_k] from the profile alone.
double revolved_staircase_volume(const Profile& profile, const Metal& m) {
  double skin = 0.0;
  std::size_t i = 0;
  while (!(m.outline[i].z == profile.length() && m.outline[i + 1].z == profile.length())) ++i;
  for (++i; i + 1 < m.outline.size(); ++i) {
    const Point& a = m.outline[i];
    const Point& b = m.outline[i + 1];
    skin += (a.z - b.z) * (a.r * a.r + a.r * b.r + b.r * b.r) / 3.0;
  }
  double bore = 0.0;
  for (const profile::Section& s : profile.sections) bore += s.radius * s.radius * s.length;
  return std::numbers::pi * (skin - bore);
}

// The surface's area by Pappus: 2 pi times each edge's length times its centroid's radius.
double surface_area(const Metal& m) {
  double area = 0.0;
  for (std::size_t i = 0; i < m.outline.size(); ++i) {
    const Point& a = m.outline[i];
    const Point& b = m.outline[(i + 1) % m.outline.size()];
    area += 2.0 * std::numbers::pi * std::hypot(b.z - a.z, b.r - a.r) * (a.r + b.r) / 2.0;
  }
  return area;
}

struct Horn {
  const char* name;
  Profile profile;
  double wall;
};

std::vector<Horn> horns() {
  return {{"Ku-band feed", profile::generate({30e-3, 120e-3}, {10.7e9, 12.75e9}), 2e-3},
          {"20 dBi at 30 GHz", profile::generate({19.9e-3, 99.5e-3}, {30e9, 30e9}), 1e-3},
          {"f/D = 0.4 feed", profile::generate({15.4e-3, 47.6e-3}, {12e9, 12e9}), 2e-3}};
}

void expect_box(const Bnd_Box& box, const Metal& m, double length, double tolerance) {
  double x0 = 0, y0 = 0, z0 = 0, x1 = 0, y1 = 0, z1 = 0;
  box.Get(x0, y0, z0, x1, y1, z1);
  EXPECT_NEAR(x0, -m.outer_radius * kMm, tolerance);
  EXPECT_NEAR(x1, m.outer_radius * kMm, tolerance);
  EXPECT_NEAR(y0, -m.outer_radius * kMm, tolerance);
  EXPECT_NEAR(y1, m.outer_radius * kMm, tolerance);
  EXPECT_NEAR(z0, 0.0, tolerance);
  EXPECT_NEAR(z1, length * kMm, tolerance);
}

TEST(CadStep, ReadsBackAsTheRevolvedProfile) {
  const ScratchDir dir;
  for (const Horn& horn : horns()) {
    SCOPED_TRACE(horn.name);
    const std::string path = (dir / "horn.step").string();
    ::testing::internal::CaptureStdout();
    write_step(horn.profile, horn.wall, path);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    const std::string text = read_file(path);
    EXPECT_NE(text.find("AUTOMOTIVE_DESIGN"), std::string::npos);  // AP214
    EXPECT_NE(text.find("MILLI"), std::string::npos);
    EXPECT_NE(text.find("PRODUCT('corrugated horn"), std::string::npos);

    STEPControl_Reader reader;
    ASSERT_EQ(reader.ReadFile(path.c_str()), IFSelect_RetDone);
    ASSERT_GT(reader.TransferRoots(), 0);
    const TopoDS_Shape shape = reader.OneShape();
    int solids = 0;
    for (TopExp_Explorer e(shape, TopAbs_SOLID); e.More(); e.Next()) ++solids;
    EXPECT_EQ(solids, 1);

    const Metal m = profile::metal(horn.profile, horn.wall);
    const double analytic = revolved_staircase_volume(horn.profile, m) * kMm * kMm * kMm;
    GProp_GProps props;
    BRepGProp::VolumeProperties(shape, props);
    EXPECT_NEAR(props.Mass(), analytic, 1e-9 * analytic);  // 3e-12 measured
    EXPECT_NEAR(m.volume * kMm * kMm * kMm, analytic, 1e-12 * analytic);

    Bnd_Box box;
    BRepBndLib::AddOptimal(shape, box, false, false);
    expect_box(box, m, horn.profile.length(), 1e-6);
  }
}

struct Stl {
  std::size_t triangles = 0;
  double volume = 0.0;  // mm^3, by the divergence theorem
  std::array<double, 3> low{INFINITY, INFINITY, INFINITY};
  std::array<double, 3> high{-INFINITY, -INFINITY, -INFINITY};
};

// Binary STL: 80 bytes of header, a little-endian count, 50 bytes a facet.
Stl read_stl(const std::string& bytes) {
  Stl stl;
  std::uint32_t count = 0;
  if (bytes.size() < 84) return stl;
  std::memcpy(&count, bytes.data() + 80, 4);
  if (bytes.size() != 84 + 50 * static_cast<std::size_t>(count)) return stl;
  stl.triangles = count;
  for (std::size_t t = 0; t < count; ++t) {
    float f[12];
    std::memcpy(f, bytes.data() + 84 + 50 * t, sizeof f);
    std::array<std::array<double, 3>, 3> v;
    for (int k = 0; k < 3; ++k) {
      for (int c = 0; c < 3; ++c) {
        v[k][c] = static_cast<double>(f[3 + 3 * k + c]);
        stl.low[c] = std::min(stl.low[c], v[k][c]);
        stl.high[c] = std::max(stl.high[c], v[k][c]);
      }
    }
    stl.volume += (v[0][0] * (v[1][1] * v[2][2] - v[1][2] * v[2][1]) - v[0][1] * (v[1][0] * v[2][2] - v[1][2] * v[2][0]) +
                   v[0][2] * (v[1][0] * v[2][1] - v[1][1] * v[2][0])) / 6.0;
  }
  return stl;
}

TEST(CadStl, VolumeWithinTheMeshTolerance) {
  const ScratchDir dir;
  for (const Horn& horn : horns()) {
    for (const double tolerance : {0.05e-3, 0.005e-3}) {
      SCOPED_TRACE(std::string(horn.name) + " at " + std::to_string(tolerance * kMm) + " mm");
      const std::string path = (dir / "horn.stl").string();
      ::testing::internal::CaptureStdout();
      write_stl(horn.profile, horn.wall, tolerance, path);
      EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
      const Stl stl = read_stl(read_file(path));
      ASSERT_GT(stl.triangles, 100u);
      const Metal m = profile::metal(horn.profile, horn.wall);
      const double analytic = revolved_staircase_volume(horn.profile, m) * kMm * kMm * kMm;
      const double bound = surface_area(m) * kMm * kMm * tolerance * kMm;
      EXPECT_NEAR(std::fabs(stl.volume), analytic, bound);
      EXPECT_NEAR(stl.low[2], 0.0, 1e-4);
      EXPECT_NEAR(stl.high[2], horn.profile.length() * kMm, 1e-4);
      EXPECT_NEAR(stl.high[0], m.outer_radius * kMm, tolerance * kMm + 1e-4);
      EXPECT_NEAR(stl.low[1], -m.outer_radius * kMm, tolerance * kMm + 1e-4);
    }
  }
}

TEST(CadFiles, Refusals) {
  const Profile profile = profile::generate({30e-3, 120e-3}, {10.7e9, 12.75e9});
  const ScratchDir dir;
  EXPECT_THROW(write_step(profile, 2e-3, (dir / "missing" / "horn.step").string()), CadFailure);
  EXPECT_THROW(write_stl(profile, 2e-3, 1e-5, (dir / "missing" / "horn.stl").string()), CadFailure);
  EXPECT_THROW(write_step(profile, -1.0, (dir / "horn.step").string()), InvalidInput);
  EXPECT_THROW(write_stl(profile, 2e-3, 0.0, (dir / "horn.stl").string()), InvalidInput);
  EXPECT_THROW(write_step(Profile{}, 2e-3, (dir / "horn.step").string()), InvalidInput);
}

}  // namespace
}  // namespace zavolt::cad

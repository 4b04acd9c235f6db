// The CSV forms: both headers in every unit, the text around the numbers, every refusal with its
// line, and the round trip of generated profiles.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "zavolt/profile.hpp"

namespace zavolt::profile {
namespace {

Profile read(const std::string& text, double step = kDefaultReadStep) {
  std::istringstream in(text);
  return read_csv(in, step);
}

std::string written(const Profile& profile, Unit unit = Unit::mm) {
  std::ostringstream out;
  write_csv(out, profile, unit);
  return out.str();
}

void expect_sections(const Profile& profile, const std::vector<Section>& expected) {
  ASSERT_EQ(profile.sections.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(profile.sections[i].length, expected[i].length) << "section " << i;
    EXPECT_EQ(profile.sections[i].radius, expected[i].radius) << "section " << i;
  }
}

TEST(ProfileCsv, SectionsInEveryUnit) {
  // Metric numbers are the decimal itself, scaled by a power of ten with one rounding.
  expect_sections(read("length_mm,radius_mm\n10,5\n2.5,7.25\n"), {{0.01, 0.005}, {0.0025, 0.00725}});
  expect_sections(read("length_m,radius_cm\n0.125,1.5e1\n"), {{0.125, 0.15}});
  expect_sections(read("length_cm,radius_m\n3e-1,+2\n"), {{0.003, 2.0}});
  expect_sections(read("length_in,radius_mm\n1,0.1e2\n"), {{0.0254, 0.01}});
  // A radius of 1e-320 mm is a denormal in metres; below that it is 0.
  expect_sections(read("length_m,radius_mm\n1,1e-320\n"), {{1.0, 1e-323}});
}

TEST(ProfileCsv, WallPoints) {
  // Level pairs are sections, equal z a step, a sloping pair cut into ceil(10 / 4) = 3 steps at
  // their midpoints' radii.
  const Profile profile = read("z_mm,radius_mm\n0,5\n10,5\n10,8\n20,8\n20,6\n30,10\n", 4e-3);
  expect_sections(profile, {{0.01, 0.005},
                            {0.01, 0.008},
                            {(0.03 - 0.02) / 3.0, 0.006 + 0.004 * (0.5 / 3.0)},
                            {(0.03 - 0.02) / 3.0, 0.006 + 0.004 * (1.5 / 3.0)},
                            {(0.03 - 0.02) / 3.0, 0.006 + 0.004 * (2.5 / 3.0)}});
  EXPECT_TRUE(profile.slots.empty());
  EXPECT_FALSE(profile.parameters);
  // z may start anywhere; a step at the port leaves its first radius unused.
  expect_sections(read("z_in,radius_in\n-1,1\n-1,2\n0,2\n"), {{0.0254, 0.0508}});
  // A level wall stays one section however long.
  expect_sections(read("z_m,radius_m\n0,1\n100,1\n", 1e-3), {{100.0, 1.0}});
}

TEST(ProfileCsv, TextAroundTheNumbers) {
  const std::vector<Section> one{{0.001, 0.002}};
  expect_sections(read("# from the drawing\n\n  \nlength_mm,radius_mm\n# input\n1,2\n\n"), one);
  expect_sections(read("length_mm,radius_mm\r\n1,2\r\n"), one);
  expect_sections(read("\"length_mm\",\"radius_mm\"\n\"1\" , \"2\"\n"), one);
  expect_sections(read("length_mm,radius_mm\n 1 ,\t2 \n"), one);
  expect_sections(read("length_mm,radius_mm\n1,2"), one);  // no final newline
  expect_sections(read("length_mm,radius_mm\n\"1\",\"2\"\r\n"), one);
  expect_sections(read("\xEF\xBB\xBFlength_mm,radius_mm\r\n1,2\r\n"), one);  // a spreadsheet's byte order mark
}

void expect_error(const std::string& text, std::size_t line, const std::string& reason) {
  try {
    (void)read(text, 1e-3);
    ADD_FAILURE() << "read: " << text;
  } catch (const CsvError& error) {
    EXPECT_EQ(error.line(), line) << text;
    EXPECT_EQ(error.reason(), reason) << text;
    EXPECT_EQ(std::string(error.what()), "line " + std::to_string(line) + ": " + reason);
  }
}

TEST(ProfileCsv, RefusesBadFilesNamingTheLine) {
  const std::string header = "the header must be z_<unit>,radius_<unit> or length_<unit>,radius_<unit>, the unit m, mm, cm or in";
  expect_error("", 1, "the profile is empty: no header");
  expect_error("# only a comment\n\n", 3, "the profile is empty: no header");
  expect_error("length_mm,radius_mm\n", 1, "the profile has no section");
  expect_error("z_mm,radius_mm\n0,5\n\n", 2, "the profile has no section");
  expect_error("z_mm,radius_mm\n0,5\n0,6\n", 3, "the profile has no section");
  expect_error("length,radius\n1,2\n", 1, header);
  expect_error("length_ft,radius_mm\n1,2\n", 1, header);
  expect_error("radius_mm,length_mm\n1,2\n", 1, header);
  expect_error("#\nlength_mm,radius_mm,depth_mm\n1,2,3\n", 2, header);
  expect_error("length_mm,radius_mm\n1,2\n3\n", 3, "expected 2 fields, length_mm and radius_mm, got 1");
  expect_error("length_mm,radius_mm\n1,2,\n", 2, "expected 2 fields, length_mm and radius_mm, got 3");
  expect_error("length_mm,radius_mm\n1,2\nabc,2\n", 3, "length_mm is not a finite number: 'abc'");
  expect_error("length_mm,radius_mm\n1,2mm\n", 2, "radius_mm is not a finite number: '2mm'");
  expect_error("length_mm,radius_mm\n1,\n", 2, "radius_mm is not a finite number: ''");
  expect_error("length_mm,radius_mm\n1,inf\n", 2, "radius_mm is not a finite number: 'inf'");
  expect_error("length_mm,radius_mm\nnan,1\n", 2, "length_mm is not a finite number: 'nan'");
  expect_error("length_mm,radius_mm\n1e999,1\n", 2, "length_mm is not a finite number: '1e999'");
  expect_error("length_mm,radius_mm\n0x10,1\n", 2, "length_mm is not a finite number: '0x10'");
  expect_error("length_mm,radius_mm\n1,\"a\tb\nc\"\n", 2, "radius_mm is not a finite number: 'a?b?c'");
  expect_error("length_mm,radius_mm\n1,12345678901234567890123456789x\n", 2,
               "radius_mm is not a finite number: '123456789012345678901234...'");
  expect_error("length_mm,radius_mm\n0,1\n", 2, "length_mm must be positive, got '0'");
  expect_error("length_mm,radius_mm\n-1,1\n", 2, "length_mm must be positive, got '-1'");
  expect_error("length_mm,radius_mm\n1,-0\n", 2, "radius_mm must be positive, got '-0'");
  expect_error("length_m,radius_mm\n1,1e-400\n", 2, "radius_mm must be positive, got '1e-400'");
  expect_error("z_mm,radius_mm\n0,1\n5,1\n4,1\n", 4, "z_mm goes backwards: '4'");
  expect_error("z_mm,radius_mm\n0,0\n", 2, "radius_mm must be positive, got '0'");
  expect_error("z_m,radius_m\n0,1\n1e6,2\n", 3, "the wall to this point makes more than a million sections");
  expect_error("z_m,radius_m\n-1e308,1\n1e308,1\n", 3, "the wall to this point is longer than any double");
  expect_error("length_mm,radius_mm\n1,\"2\n\n", 2, "a quoted field is not closed");
  expect_error("length_mm,radius_mm\n1,\"2\"3\n", 2, "text after a quoted field's closing quote");
  expect_error("length_mm,radius_mm\n1,2\"\n", 2, "a quote inside a field that is not quoted");
  // A record over several lines is named by its first line.
  expect_error("length_mm,radius_mm\n\"1\n\",2\n", 2, "length_mm is not a finite number: '1?'");

  std::istringstream in("length_mm,radius_mm\n1,2\n");
  EXPECT_THROW((void)read_csv(in, 0.0), InvalidInput);
}

TEST(ProfileCsv, Writes) {
  Profile profile;
  profile.sections = {{0.01, 0.005}, {0.00125, 0.0125}, {1e-12, 123.0}, {0.1, 0.3}};
  EXPECT_EQ(written(profile), "length_mm,radius_mm\n10,5\n1.25,12.5\n1e-9,123000\n100,300\n");
  EXPECT_EQ(written(profile, Unit::m), "length_m,radius_m\n0.01,0.005\n0.00125,0.0125\n1e-12,123\n0.1,0.3\n");
  EXPECT_EQ(written(profile, Unit::cm), "length_cm,radius_cm\n1,0.5\n0.125,1.25\n1e-10,12300\n10,30\n");
  EXPECT_EQ(written(Profile{{{0.0254, 0.0508}}}, Unit::in), "length_in,radius_in\n1,2\n");
  EXPECT_EQ(written(Profile{{{1e-300, 3e300}}}, Unit::mm), "length_mm,radius_mm\n1e-297,3e303\n");
  EXPECT_EQ(written(Profile{}), "length_mm,radius_mm\n");
}

TEST(ProfileCsv, GeneratedProfilesRoundTrip) {
  const Profile generated = generate({30e-3, 120e-3}, {10.7e9, 12.75e9});
  for (const Unit unit : {Unit::m, Unit::mm, Unit::cm, Unit::in}) {
    const std::string first = written(generated, unit);
    const Profile back = read(first);
    if (unit != Unit::in) {
      expect_sections(back, generated.sections);  // every double to itself
    }
    ASSERT_EQ(back.sections.size(), generated.sections.size());
    for (std::size_t i = 0; i < back.sections.size(); ++i) {
      EXPECT_NEAR(back.sections[i].length, generated.sections[i].length, 1e-16) << unit_suffix(unit);
      EXPECT_NEAR(back.sections[i].radius, generated.sections[i].radius, 1e-16) << unit_suffix(unit);
    }
    EXPECT_EQ(written(back, unit), first) << unit_suffix(unit);
  }
}

}  // namespace
}  // namespace zavolt::profile

#include "horn/values.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "zavolt/classic.hpp"

namespace zavolt::horn {
namespace {

TEST(ParseNumber, TheGrammarOfOneNumber) {
  for (const std::string text : {"3", "-3", "+3", "3.", ".5", "-.5", "0.25", "1e3", "1E-3", "2.5e+2", "007", "inf",
                                 "-Infinity", "NaN"}) {
    EXPECT_NO_THROW((void)parse_number(text)) << text;
  }
  for (const std::string text : {"", "-", ".", "e3", "1e", "1e+", "1.2.3", "0x10", " 3", "3 ", "1,5", "3mm", "--3",
                                 "in", "nanx", "1_000"}) {
    EXPECT_THROW((void)parse_number(text), ValueSyntax) << text;
  }
}

TEST(ParseNumber, Binary32StraightFromTheDecimal) {
  // Just above the midpoint between 1 and the next binary32: the nearest binary64 is the midpoint
  // itself, so rounding through binary64 would tie to 1.0.
  const TypedNumber n = parse_number("1.0000000596046447753906250000000001");
  EXPECT_EQ(n.single, std::nextafter(1.0f, 2.0f));
  EXPECT_EQ(n.value, 1.0000000596046448);
  EXPECT_EQ(parse_number("0.1").single, 0.1f);
  EXPECT_EQ(parse_number("0.1").value, 0.1);
  // Beyond the ranges: the infinity, and the zero below the least subnormal.
  EXPECT_EQ(parse_number("1e39").single, INFINITY);
  EXPECT_EQ(parse_number("1e39").value, 1e39);
  EXPECT_EQ(parse_number("-1e400").value, -INFINITY);
  EXPECT_EQ(parse_number("1e-50").single, 0.0f);
}

TEST(ParseNumber, ANegativeZeroReadsAsZero) {
  // A design at S = -0 would otherwise divide into a slant length of minus infinity.
  for (const std::string text : {"-0", "-0.0e5", "-1e-400"}) {
    const TypedNumber n = parse_number(text);
    EXPECT_FALSE(std::signbit(n.value)) << text;
    EXPECT_FALSE(std::signbit(n.single)) << text;
  }
  EXPECT_FALSE(std::signbit(parse_number("-1e-50").single));
  EXPECT_TRUE(std::signbit(parse_number("-1e-50").value));
}

TEST(ParseValues, OneNumberAndLists) {
  const ValueSequence one = parse_values("12");
  ASSERT_EQ(one.size(), 1u);
  EXPECT_FALSE(one.is_range());
  EXPECT_EQ(one.at(0), 12.0);
  const ValueSequence list = parse_values("10,3,12.5");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.at(0), 10.0);
  EXPECT_EQ(list.at(1), 3.0);
  EXPECT_EQ(list.at(2), 12.5);
  EXPECT_EQ(list.numbers()[2].text, "12.5");
}

TEST(ParseValues, RangeCountsIncludeAStopWithinAMillionthOfAStep) {
  EXPECT_EQ(parse_values("0:1:0.1").size(), 11u);       // 1/0.1 is 10 in binary64, stop included
  EXPECT_EQ(parse_values("0:1:0.3").size(), 4u);        // 0, 0.3, 0.6, 0.9
  EXPECT_EQ(parse_values("0:0.99999999:0.1").size(), 11u);  // 1.0 lies 1e-7 step beyond
  EXPECT_EQ(parse_values("0:0.99999:0.1").size(), 10u);     // 1.0 lies 1e-4 step beyond
  EXPECT_EQ(parse_values("5:5:1").size(), 1u);
  EXPECT_EQ(parse_values("12:8:-2").size(), 3u);
  EXPECT_EQ(parse_values("0:90:0.5").size(), 181u);
  EXPECT_EQ(parse_values("10.7:12.75:0.05").size(), 42u);
}

TEST(ParseValues, RangePointsAreTheNearestBinary64OfTheDecimal) {
  const ValueSequence range = parse_values("0:1:0.1");
  EXPECT_EQ(range.at(3), 0.3);  // 3 * 0.1 would be 0.30000000000000004
  EXPECT_EQ(range.at(7), 0.7);  // 7 * 0.1 would be 0.7000000000000001
  EXPECT_EQ(range.at(10), 1.0);
  const ValueSequence ghz = parse_values("10.7:12.75:0.05");
  EXPECT_EQ(ghz.at(15), 11.45);
  EXPECT_EQ(ghz.at(41), 12.75);
  const ValueSequence down = parse_values("12:8:-2");
  EXPECT_EQ(down.at(2), 8.0);
  // Too many digits for the integer form: start + i step in binary64.
  const ValueSequence long_start = parse_values("0.1234567890123456789:1:0.5");
  EXPECT_EQ(long_start.at(1), 0.1234567890123456789 + 0.5);
}

TEST(ParseValues, ClassicPointsAreTheDialoguesSweepPoints) {
  for (const std::string text : {"0.1:0.9:0.1", "8:12:0.25", "10.7:12.75:0.05", "1:0:-0.07"}) {
    const ValueSequence range = parse_values(text);
    const float start = range.numbers()[0].single;
    const float step = range.numbers()[2].single;
    for (std::size_t i = 0; i < range.size(); ++i) {
      EXPECT_EQ(range.single_at(i), classic::sweep_point(static_cast<std::int64_t>(i) + 1, start, step))
          << text << " point " << i;
    }
  }
  // A list keeps each typed number's own binary32.
  EXPECT_EQ(parse_values("10.7,0.1").single_at(1), 0.1f);
}

TEST(ParseValues, MalformedTextsSayWhatTheOptionMustBe) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "must be a number, a comma list or START:STOP:STEP"},
      {"abc", "must be a number, a comma list or START:STOP:STEP"},
      {"1,,2", "must be a comma list of numbers"},
      {"1,2,", "must be a comma list of numbers"},
      {",1", "must be a comma list of numbers"},
      {"1:2", "must be START:STOP:STEP"},
      {"1:2:3:4", "must be START:STOP:STEP"},
      {"1:x:3", "must be START:STOP:STEP"},
      {"1:2:0", "must have a non-zero STEP"},
      {"1:2:-0", "must have a non-zero STEP"},
      {"0:inf:1", "must have a finite START, STOP and STEP"},
      {"nan:1:1", "must have a finite START, STOP and STEP"},
      {"5:1:1", "must have a STEP leading from START to STOP"},
      {"1:5:-1", "must have a STEP leading from START to STOP"},
      {"0:1e7:1", "must have at most 10000000 points"},
      {"-1e308:1e308:1e300", "must have at most 10000000 points"},  // stop - start overflows
  };
  for (const auto& [text, what] : cases) {
    try {
      (void)parse_values(text);
      ADD_FAILURE() << text << " was accepted";
    } catch (const ValueSyntax& error) {
      EXPECT_EQ(error.what(), what) << text;
    }
  }
}

TEST(ParseValues, TheLargestRangeIsKeptWithoutStoringItsPoints) {
  const ValueSequence range = parse_values("1:1e7:1");
  ASSERT_EQ(range.size(), kMostPoints);
  EXPECT_EQ(range.at(kMostPoints - 1), 1e7);
}

TEST(Shortest, ReadsBackTheSameBinary64) {
  EXPECT_EQ(shortest(11.45), "11.45");
  EXPECT_EQ(shortest(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(shortest(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(shortest(12.0), "12");
}

}  // namespace
}  // namespace zavolt::horn

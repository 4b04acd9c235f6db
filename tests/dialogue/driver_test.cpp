#include "dialogue/driver.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zavolt {
namespace {

TEST(SweepCount, TruncatesTheSpanOverTheStepPlusTheMargin) {
  EXPECT_EQ(sweep_count(0.0f, 1.0f, 0.1f), 11);
  EXPECT_EQ(sweep_count(0.0f, 1.0f, 0.4f), 3);
  EXPECT_EQ(sweep_count(0.0f, 1.0f, 0.6f), 3);
  EXPECT_EQ(sweep_count(8.0f, 12.0f, 2.0f), 3);
  EXPECT_EQ(sweep_count(1.0f, 0.0f, 0.1f), -8);  // -8.6 truncated toward zero
  EXPECT_EQ(sweep_count(2.0f, 1.0f, -0.5f), 3);
  EXPECT_EQ(sweep_count(5.0f, 5.0f, 123.0f), 1);
  EXPECT_EQ(sweep_count(5.0f, 5.0f, -1e-30f), 1);
}

TEST(SweepCount, NanOrBeyondThirtyTwoBitsGivesNoPoints) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(sweep_count(inf, inf, 1.0f), 0);    // inf - inf
  EXPECT_EQ(sweep_count(0.0f, 1.0f, inf), 1);   // 0 + 1.4
  EXPECT_EQ(sweep_count(0.0f, inf, 1.0f), 0);
  EXPECT_EQ(sweep_count(0.0f, 1.0f, 1e-20f), 0);
  EXPECT_EQ(sweep_count(0.0f, -1.0f, 1e-20f), 0);
  EXPECT_EQ(sweep_count(0.0f, 2147483520.0f, 1.0f), 2147483521);  // the largest float below 2^31
  EXPECT_EQ(sweep_count(0.0f, 2147483648.0f, 1.0f), 0);           // 2^31 + 1.4
  EXPECT_EQ(sweep_count(0.0f, -2147483648.0f, 1.0f), -2147483646);
  EXPECT_EQ(sweep_count(0.0f, -2147483904.0f, 1.0f), 0);
}

TEST(SweepValue, IsComputedAfreshForEveryPoint) {
  EXPECT_EQ(sweep_value(1, 0.1f, 0.1f), 0.1f);
  EXPECT_EQ(sweep_value(3, 0.1f, 0.1f), static_cast<float>(2.0 * static_cast<double>(0.1f) + static_cast<double>(0.1f)));
  EXPECT_EQ(sweep_value(11, 0.0f, 0.1f), 1.0f);
  EXPECT_EQ(sweep_value(3, 0.0f, 0.6f), 1.2f);
  EXPECT_EQ(sweep_value(3, 2.0f, -0.5f), 1.0f);
  // A running sum would drift: 0.1 added ten times is not 1.
  float running = 0.0f;
  for (int i = 0; i < 10; ++i) running += 0.1f;
  EXPECT_NE(running, sweep_value(11, 0.0f, 0.1f));
}

}  // namespace
}  // namespace zavolt

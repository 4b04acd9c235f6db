#include "numeric/glint.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

#include "support/printed.hpp"

namespace zavolt {
namespace {

// The integrands see only their abscissa variable; what they record lives here and is reset by
// each test that reads it.
std::vector<float>& visited() {
  static std::vector<float> nodes;
  return nodes;
}

float record_node(float* x) {
  visited().push_back(*x);
  return 0.0f;
}
float square(float* x) { return *x * *x; }
float one(float*) { return 1.0f; }
float power_k(float* x) { return static_cast<float>(std::pow(static_cast<double>(x[0]), static_cast<double>(x[1]))); }

std::vector<float> nodes_of(std::int32_t order, float lower, float upper) {
  visited().clear();
  float x = 0.0f;
  float result = 0.0f;
  GLINT(lower, upper, x, record_node, order, result);
  return visited();
}

TEST(GlintExact, OrderThreeVisitsThePairThenTheCentre) {
  const std::vector<float> nodes = nodes_of(3, 0.0f, 1.0f);
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_PRINTED(nodes[0], "0.1127017");
  EXPECT_PRINTED(nodes[1], "0.8872983");
  EXPECT_EQ(nodes[2], 0.5f);
}

TEST(GlintExact, OrderFourVisitsPairsFromTheCentreOutwards) {
  const std::vector<float> nodes = nodes_of(4, 0.0f, 1.0f);
  ASSERT_EQ(nodes.size(), 4u);
  EXPECT_PRINTED(nodes[0], "0.3300095");
  EXPECT_PRINTED(nodes[1], "0.6699905");
  EXPECT_PRINTED(nodes[2], "0.0694318");
  EXPECT_PRINTED(nodes[3], "0.9305682");
}

TEST(GlintExact, SwappedLimitsVisitTheUpperNodeFirst) {
  const std::vector<float> nodes = nodes_of(4, 1.0f, 0.0f);
  ASSERT_EQ(nodes.size(), 4u);
  EXPECT_PRINTED(nodes[0], "0.6699905");
  EXPECT_PRINTED(nodes[1], "0.3300095");
}

TEST(GlintExact, SquareOverTheUnitInterval) {
  float x = 0.0f;
  float result = 0.0f;
  GLINT(0.0f, 1.0f, x, square, 3, result);
  EXPECT_PRINTED(result, "0.3333333");
  GLINT(0.0f, 1.0f, x, square, 16, result);
  EXPECT_PRINTED(result, "0.3333333");
  GLINT(1.0f, 0.0f, x, square, 16, result);
  EXPECT_PRINTED(result, "-0.3333333");
}

TEST(GlintExact, OrderSixteenOfOne) {
  float x = 0.0f;
  float result = 0.0f;
  GLINT(0.0f, 1.0f, x, one, 16, result);
  EXPECT_PRINTED(result, "0.9999999");
}

TEST(GlintExact, EveryOrderIntegratesOneAndTheSquare) {
  for (const std::int32_t order : GLORD) {
    float x = 0.0f;
    float result = 0.0f;
    GLINT(0.0f, 1.0f, x, one, order, result);
    EXPECT_NEAR(result, 1.0, 4e-7) << "order " << order;
    GLINT(0.0f, 1.0f, x, square, order, result);
    EXPECT_NEAR(result, 1.0 / 3.0, 2e-7) << "order " << order;
    visited().clear();
    GLINT(0.0f, 1.0f, x, record_node, order, result);
    EXPECT_EQ(visited().size(), static_cast<std::size_t>(order));
  }
}

TEST(GlintExact, UntabulatedOrderNeitherCallsNorWrites) {
  for (const std::int32_t order : {11, 0, -3, 2, 33}) {
    visited().clear();
    float x = 42.0f;
    float result = 7.0f;
    GLINT(0.0f, 1.0f, x, record_node, order, result);
    EXPECT_EQ(result, 0.0f) << order;
    EXPECT_EQ(x, 42.0f) << order;
    EXPECT_TRUE(visited().empty()) << order;
  }
}

TEST(GlintExact, EqualLimitsCallAtTheLimitAndGiveZero) {
  const std::vector<float> nodes = nodes_of(5, 0.25f, 0.25f);
  ASSERT_EQ(nodes.size(), 5u);
  for (const float node : nodes) EXPECT_EQ(node, 0.25f);
  float x = 0.0f;
  float result = 1.0f;
  GLINT(0.25f, 0.25f, x, square, 5, result);
  EXPECT_EQ(result, 0.0f);
}

TEST(GlintExact, AbscissaKeepsTheLastNode) {
  float x = 0.0f;
  float result = 0.0f;
  GLINT(0.0f, 1.0f, x, square, 3, result);
  EXPECT_EQ(x, 0.5f);  // odd order: the centre
  GLINT(0.0f, 1.0f, x, square, 16, result);
  EXPECT_EQ(x, static_cast<float>(0.5 + 0.5 * static_cast<double>(0.9894009f)));
}

// A mistyped digit in a table breaks one of these: each order's weights sum to 2, and the rule
// integrates x^k exactly for k < 2N (here to float accuracy).
TEST(GlintAccuracy, WeightsSumToTwo) {
  for (std::size_t k = 0; k < GLORD.size(); ++k) {
    const std::int32_t order = GLORD[k];
    const std::int32_t odd = order % 2;
    double sum = 0.0;
    for (std::int32_t i = 0; i < order / 2 + odd; ++i) {
      const double w = static_cast<double>(GLWTAB[static_cast<std::size_t>(GLWBEG[k] - 1 + i)]);
      sum += (odd == 1 && i == 0) ? w : 2.0 * w;
    }
    EXPECT_NEAR(sum, 2.0, 1e-6) << "order " << order;
  }
}

TEST(GlintAccuracy, PolynomialsUpToTheRuleDegree) {
  for (const std::int32_t order : GLORD) {
    for (int k = 0; k < 2 * order && k <= 31; ++k) {
      float block[2] = {0.0f, static_cast<float>(k)};
      float result = 0.0f;
      GLINT(0.0f, 1.0f, block[0], power_k, order, result);
      EXPECT_NEAR(result, 1.0 / (k + 1), 2e-6 / (k + 1) + 3e-7) << "order " << order << ", x^" << k;
    }
  }
}

}  // namespace
}  // namespace zavolt

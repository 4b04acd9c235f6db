// A horn designed for a wanted gain, analysed at the same frequency, has that gain.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/cchgn.hpp"
#include "design/hccgn.hpp"
#include "support/printed.hpp"

namespace zavolt {
namespace {

double analysed_gain_db(float frequency, float gain, float s) {
  const HccgnDetail d = hccgn_detail(frequency, gain, s);
  return 10.0 * std::log10(static_cast<double>(CCHGN(frequency, d.radius, d.slant)));
}

TEST(DesignAgreement, AnalysedGainIsTheWantedGain) {
  for (const float frequency : {1.5f, 4.0f, 10.0f, 30.0f, 94.0f}) {
    for (const float gain : {10.0f, 15.0f, 20.0f, 25.0f, 35.0f}) {
      for (int i = 1; i <= 20; ++i) {
        const float s = static_cast<float>(0.05 * i);
        EXPECT_NEAR(analysed_gain_db(frequency, gain, s), gain, 0.01)
            << frequency << " GHz, " << gain << " dB, S = " << s;
      }
    }
  }
}

TEST(DesignAgreement, WorkedFigures) {
  EXPECT_PRINTED(static_cast<float>(analysed_gain_db(10.0f, 20.0f, 0.1f)), "20.00");
  EXPECT_PRINTED(static_cast<float>(analysed_gain_db(10.0f, 20.0f, 0.5f)), "20.00");
  EXPECT_PRINTED(static_cast<float>(analysed_gain_db(10.0f, 20.0f, 1.0f)), "20.01");
}

}  // namespace
}  // namespace zavolt

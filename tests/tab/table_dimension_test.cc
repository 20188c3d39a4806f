#include "tab/table_dimension.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "frame/number_format.h"

namespace tessary {
namespace {

TEST(TableDimension, ContinuousValuesGoToGridCoordinates) {
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> uniform(0, 50);
  std::vector<double> v(1000);
  for (double& x : v)
    x = uniform(random);
  v[0] = 0.25;
  v[1] = 49.75;
  const std::vector<double> original = v;
  TableDimension dimension;
  ::testing::internal::CaptureStdout();
  dimension.form(v.data(), v.size(), {}, 500);
  ::testing::internal::GetCapturedStdout();
  EXPECT_LE(dimension.size(), 502u);
  EXPECT_GE(dimension.size(), 166u);
  const auto& first = dimension.headings().front();
  const double width = first.upper - first.lower;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const long long k = dimension.indexOf(v[i]);
    ASSERT_GE(k, 0);
    ASSERT_LT(k, static_cast<long long>(dimension.size()));
    const auto& heading = dimension.headings()[k];
    EXPECT_LE(heading.lower, original[i] + 1e-9);
    EXPECT_LT(original[i], heading.lower + width + 1e-9);
  }
  // 0 .. 50 with 500 groups: step 0.1 from 0, so 0.25 lies in [0.2,0.3).
  const auto& heading = dimension.headings()[dimension.indexOf(v[0])];
  EXPECT_EQ(formatGeneral(heading.lower), "0.2");
  EXPECT_EQ(formatGeneral(heading.upper), "0.3");
}

}  // namespace
}  // namespace tessary

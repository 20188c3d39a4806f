#include "tab/table_dimension.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "frame/failure.h"
#include "frame/missing.h"
#include "frame/number_format.h"
#include "test_support.h"

namespace tessary {
namespace {

TEST(TableDimension, IntegersAndLabelsGiveOneCategoryEach) {
  std::vector<double> v = {7, 3, MISSING, 5, 3};
  TableDimension dimension;
  ::testing::internal::CaptureStdout();
  dimension.form(v.data(), v.size(), {}, 500);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "No decimal in the data\n");
  ASSERT_EQ(dimension.size(), 5u);
  EXPECT_TRUE(dimension.headings()[0].value == 3 && dimension.headings()[4].value == 7);
  // Out of range (8) is the caller's to report; integral values stay as they are.
  EXPECT_EQ(
      std::vector<long long>({dimension.indexOf(3), dimension.indexOf(7), dimension.indexOf(8)}),
      std::vector<long long>({0, 4, 5}));
  EXPECT_EQ(v[0], 7);
  std::vector<double> wide = {0, 1000000}, limit = {0, 999999};
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(testing::failureText([&] { dimension.form(wide.data(), wide.size(), {}, 500); }),
            "Too many integer category. Tabulation suspended.");
  dimension.form(limit.data(), limit.size(), {}, 500);
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(dimension.size(), 1000000u);

  // Labels in code order, whatever the values.
  v = {7, 5, 7};
  dimension.form(v.data(), v.size(), {{7, "Rural"}, {5, "Urban"}}, 500);
  ASSERT_EQ(dimension.size(), 2u);
  EXPECT_EQ(dimension.headings()[0].label + dimension.headings()[1].label, "UrbanRural");
  EXPECT_EQ(
      std::vector<long long>({dimension.indexOf(5), dimension.indexOf(7), dimension.indexOf(6)}),
      std::vector<long long>({0, 1, -1}));
}

TEST(TableDimension, ContinuousValuesGoToGridCoordinates) {
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> uniform(0, 50);
  std::vector<double> v(1000);
  for (double& x : v)
    x = uniform(random);
  v[0] = 0.25;
  v[1] = 49.75;
  std::vector<double> original = v;
  for (int limit : {500, 100}) {
    v = original;
    TableDimension dimension;
    ::testing::internal::CaptureStdout();
    dimension.form(v.data(), v.size(), {}, limit);
    const std::string trace = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(trace.rfind("Some data with decimal\n", 0), 0u) << trace;
    EXPECT_LE(dimension.size(), static_cast<std::size_t>(limit) + 2);
    EXPECT_GE(dimension.size(), static_cast<std::size_t>(limit) / 3);
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
  }
  // 0 .. 50 with 500 groups: step 0.1 from 0, so 0.25 lies in [0.2,0.3).
  v = original;
  TableDimension dimension;
  ::testing::internal::CaptureStdout();
  dimension.form(v.data(), v.size(), {}, 500);
  ::testing::internal::GetCapturedStdout();
  const auto& heading = dimension.headings()[dimension.indexOf(v[0])];
  EXPECT_EQ(formatGeneral(heading.lower), "0.2");
  EXPECT_EQ(formatGeneral(heading.upper), "0.3");
}

}  // namespace
}  // namespace tessary

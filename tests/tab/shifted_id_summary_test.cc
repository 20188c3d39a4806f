#include "tab/shifted_id_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "frame/missing.h"

namespace tessary {
namespace {

TEST(ShiftedIdSummary, ConsecutiveKeysFormGroupsAndEachStatistic) {
  // Identifiers 1201..1299 shifted by 2 give key 12; a change of key closes a group and
  // a later return to key 12 opens a new one. Statistics 1 count, 2 mean, 3 spread, 4
  // minimum, 5 maximum, any other the mean.
  const std::vector<double> ids = {1201, 1202, 1310, MISSING, 1311, 1205};
  const std::vector<double> x = {2, 4, 10, 99, MISSING, 6}, w = {1, 3, 2, 1, 1, 1};
  const double expected[][3] = {{2, 1, 1},  {3.5, 10, 6}, {std::sqrt(2 * (13.0 - 3.5 * 3.5)), 0, 0},
                                {2, 10, 6}, {4, 10, 6},   {3.5, 10, 6}};
  for (int statistic = 1; statistic <= 6; ++statistic) {
    std::vector<double> keys(6, -1), out(6, -1);
    ASSERT_EQ(summarizeByShiftedId(ids.data(), x.data(), w.data(), ids.size(), 2, statistic,
                                   keys.data(), out.data()),
              3);
    EXPECT_EQ(keys, (std::vector<double>{12, 13, 12, -1, -1, -1}));
    for (int g = 0; g < 3; ++g)
      EXPECT_DOUBLE_EQ(out[g], expected[statistic - 1][g]) << statistic << " group " << g;
  }
  // A negative shift multiplies (keys 50, 150, 250); 10^shift is exact for -10..10.
  const std::vector<double> small = {5, 15, 25}, ones = {1, 1, 1};
  std::vector<double> keys(3), out(3);
  ASSERT_EQ(summarizeByShiftedId(small.data(), ones.data(), ones.data(), 3, -1, 1, keys.data(),
                                 out.data()),
            3);
  EXPECT_EQ(keys[2], 250);
  EXPECT_EQ(summarizeByShiftedId(small.data(), ones.data(), ones.data(), 0, 0, 1, keys.data(),
                                 out.data()),
            0);
  EXPECT_TRUE(powerOfTen(-10) == 1e-10 && powerOfTen(3) == 1000);
}

}  // namespace
}  // namespace tessary

#include "tab/shifted_id_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "frame/missing.h"

namespace tessary {
namespace {

TEST(ShiftedIdSummary, ConsecutiveKeysFormGroupsAndEachStatistic) {
  // Identifiers 1201..1299 shifted by 2 give key 12; a change of key closes a group and
  // a later return to key 12 opens a new one.
  const std::vector<double> ids = {1201, 1202, 1310, MISSING, 1311, 1205};
  const std::vector<double> x = {2, 4, 10, 99, MISSING, 6};
  const std::vector<double> w = {1, 3, 2, 1, 1, 1};
  std::vector<double> keys(6, -1), out(6, -1);
  const double expected[][3] = {{2, 1, 1},  {3.5, 10, 6}, {std::sqrt(2 * (13.0 - 3.5 * 3.5)), 0, 0},
                                {2, 10, 6}, {4, 10, 6},   {3.5, 10, 6}};
  for (int statistic = 1; statistic <= 6; ++statistic) {
    ASSERT_EQ(summarizeByShiftedId(ids.data(), x.data(), w.data(), ids.size(), 2, statistic,
                                   keys.data(), out.data()),
              3);
    EXPECT_EQ(keys[0], 12);
    EXPECT_EQ(keys[1], 13);
    EXPECT_EQ(keys[2], 12);
    EXPECT_DOUBLE_EQ(out[0], expected[statistic - 1][0]) << statistic;
    if (statistic != 3) {
      EXPECT_DOUBLE_EQ(out[1], expected[statistic - 1][1]) << statistic;
      EXPECT_DOUBLE_EQ(out[2], expected[statistic - 1][2]) << statistic;
    } else {
      EXPECT_EQ(out[1], 0);  // one record: no spread
    }
  }
}

TEST(ShiftedIdSummary, ShiftsAndEmptyInput) {
  EXPECT_EQ(powerOfTen(-10), 1e-10);
  EXPECT_EQ(powerOfTen(3), 1000);
  EXPECT_DOUBLE_EQ(powerOfTen(12), 1e12);
  const std::vector<double> ids = {5, 15, 25}, x = {1, 1, 1}, w = {1, 1, 1};
  std::vector<double> keys(3), out(3);
  // A negative shift multiplies: keys 50, 150, 250.
  ASSERT_EQ(summarizeByShiftedId(ids.data(), x.data(), w.data(), 3, -1, 1, keys.data(), out.data()),
            3);
  EXPECT_EQ(keys[2], 250);
  EXPECT_EQ(summarizeByShiftedId(ids.data(), x.data(), w.data(), 0, 0, 1, keys.data(), out.data()),
            0);
}

}  // namespace
}  // namespace tessary

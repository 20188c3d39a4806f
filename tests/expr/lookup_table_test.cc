#include <gtest/gtest.h>

#include "data_fixture.h"
#include "expr/lookup_table.h"

namespace tessary {
namespace {

using testing::EvalDataSet;
using testing::sameValues;
using testing::writeFile;

const double M = MISSING;

TEST(LookupTable, FileRules) {
  LookupTable table;
  table.parse(
      "1\t10\n2\t20\nno tab here\n  3\t30\nNA\t0\n2\t22\n4\t1e3\n5\t7 \n6\t-.5\n7\t2000/01/01\n"
      "\"8\t+8\n9\t1900/01/01\n10\t12x\n11\t.\n-12\t1E-2");
  double values[] = {1, 2, 3, M, 4, 5, 6, 7, 8, 9, 10, 11, -12, 1.0000001, 13, 1};
  EXPECT_EQ(table.translate(values, 16), 2u);
  // Repeated keys keep the last value; a word key serves missing inputs; a trailing
  // blank or other character spoils a value; dates count days from 1899-12-30.
  EXPECT_TRUE(sameValues(std::vector<double>(values, values + 16),
                         {10, 22, 30, 0, 1000, M, -0.5, 36526, 8, M, M, M, 0.01, M, M, 10}));
}

TEST(LookupTable, NumberConversion) {
  EXPECT_EQ(convertLookupNumber("1899/12/31"), M);
  EXPECT_EQ(convertLookupNumber("1901/01/01"), 367);
  EXPECT_EQ(convertLookupNumber("2024/02/30"), M);
  EXPECT_EQ(convertLookupNumber("2024/02/29"), 45351);
  for (const char* bad : {"", ".", "-", "+.", "A1", "1e", "1e+", "1.2.3", "1,5", "/", "1 "})
    EXPECT_EQ(convertLookupNumber(bad), M) << bad;
}

TEST(LookupTable, ThroughTheEvaluator) {
  EvalDataSet set(4);
  set.add("X", {1, 2, 3, M});
  const std::string file = set.dir.file("table.txt");
  writeFile(file, "1\t10\n2\t20\n*\t-1\n");
  EXPECT_TRUE(sameValues(set.eval("LOOKUP(X,\"" + file + "\")"), {10, 20, M, -1}));
  EXPECT_TRUE(sameValues(set.eval("LOOKUP(X*2,\"" + file + "\")+1", 1, 2), {21, M}));
  EXPECT_EQ(set.error("LOOKUP(1,\"" + file + "\")"), "Incorrect specification for lookup function");
  EXPECT_EQ(set.error("LOOKUP(X,\"" + set.dir.file("none.txt") + "\")"),
            "Can't open lookup table " + set.dir.file("none.txt"));
  std::string many = "X";
  for (int i = 0; i < 65; ++i)
    many = "LOOKUP(" + many + ",\"" + file + "\")";
  EXPECT_EQ(set.error(many), "Too many lookup table defined. Maximum 64 allowed.");
}

}  // namespace
}  // namespace tessary

#include "regression/report.h"

#include <gtest/gtest.h>

#include "regression/regression.h"
#include "test_support.h"

namespace tessary {
namespace {

TEST(Report, AlignmentCutsAndPads) {
  EXPECT_EQ(rightAlign("abc", 5), "  abc");
  EXPECT_EQ(rightAlign("abcdef", 4), "abcd");
  EXPECT_EQ(leftAlign("abc", 5), " abc  ");
  EXPECT_EQ(leftAlign("abcdef", 4), " abcd");
  EXPECT_EQ(reportNumber(-0.0 / 0.0, 3, 8, 9), "      nan");
  EXPECT_EQ(reportNumber(-1.0 / 0.0, 3, 8, 9), "     -inf");
  EXPECT_EQ(reportPValue(0.0001), "  0.0001");
  EXPECT_EQ(reportPValue(0.00009), "  <.0001");
}

// A fit of two regressors on ten observations, set by hand.
struct HandFit : Regression {
  std::vector<double> packed{10.5, 0, 50, 0, 0, 2782};
  explicit HandFit(const std::string& report) {
    regressors = {{"_intercept_", "", 0, "Intercept", 3},
                  {"AVERY_LONG_NAME_X", "", 0, "a label that is longer than twenty five chars", 1}};
    numOfRgrs = 2;
    selected = {0, 1};
    nModel = 2;
    nObs = 10;
    SST = 2532, SSR = 2500, SSE = 32, MSE = 4, F = 625, R2 = 0.98736, adjR2 = 0.98578;
    totalWeight = 10.5, slEntry = 0.05, slStay = 0.1, Syy = 2782, weightScale = 1;
    sscp = packed.data();
    inverse = Matrix(2, 2);
    inverse(0, 0) = 0.25, inverse(1, 1) = 0.01;
    beta = Vector(2);
    beta[1] = 5;
    LHS = "Y", Weight = "W", reportFile = report;
  }
};

TEST(Report, BothColumnLayoutsLineByLine) {
  testing::ScratchDir dir;
  HandFit fit(dir.file("report.txt"));
  fit.printReport("OLS estimation", false);
  fit.printReport("Variable X added", true);
  const std::string rule(89, '-');
  const std::string head =
      "Dependent Variable: Y      Weighted by: W\n" + rule +
      "\n  Source       DF   Sum of Sq.   Mean Square  |  F value        625  Prob>F      "
      "<.0001\n" +
      std::string(46, '-') +
      "|  R square   0.98736  adj R-sq.  0.98578\n"
      "  Model         1         2500         2500   |  RMSE             2  Total Wgt     10.5\n"
      "  Error         8           32            4   |";
  const std::string total =
      "\n  Total         9         2532     281.3333   |  Dep. Mean        5  Dep. Std    "
      "16.773\n" +
      rule + "\n  Regressor          Coef.   Std.Err. ";
  const std::string intercept = " _intercept_      0.00000          1 ";
  const std::string slope = " AVERY_LONG_NAM         5        0.2 ";
  const std::string labels[2] = {"        1  Intercept" + std::string(16, ' ') + "\n",
                                 "  <.0001  a label that is longer th\n"};
  const std::string expected = "\n*****  OLS estimation  *****\n\n" + head + total +
                               "        z  Prob>|z|  Label\n" + rule + "\n" + intercept +
                               "   0.0000 " + labels[0].substr(1) + slope + "       25 " +
                               labels[1] + rule + "\n\n" + "\n*****  Variable X added  *****\n\n" +
                               head + "  SL.Entry      0.05  SL.Stay        0.1" + total +
                               "Type II SS   F Value   Prob>F   Label\n" + rule + "\n" + intercept +
                               "    0.0000    0.0000 " + labels[0].substr(1) + slope +
                               "      2500       625 " + labels[1] + rule + "\n\n";
  EXPECT_EQ(testing::readFile(dir.file("report.txt")), expected);
}

}  // namespace
}  // namespace tessary

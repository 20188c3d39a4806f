// The report appended after each estimation: an analysis-of-variance block with the
// fit statistics beside it, then one row per regressor of the model.
#include "regression/report.h"

#include <cmath>
#include <limits>

#include "frame/number_format.h"
#include "numeric/special_functions.h"
#include "platform/file.h"
#include "regression/regression.h"

namespace tessary {
namespace {

const std::string kRule(89, '-');

// The upper-tail probability of F, not a number when the degrees of freedom or F
// leave it undefined.
double probabilityAboveF(int dfModel, int dfError, double f) {
  if (dfModel < 1 || dfError < 1 || !(f >= 0.0) || std::isinf(f))
    return std::numeric_limits<double>::quiet_NaN();
  return 1.0 - fdtr(dfModel, dfError, f);
}

}  // namespace

std::string rightAlign(const std::string& text, int width) {
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  std::string cut = text.substr(0, w);
  return std::string(w - cut.size(), ' ') + cut;
}

std::string leftAlign(const std::string& text, int width) {
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  std::string cut = text.substr(0, w);
  return " " + cut + std::string(w - cut.size(), ' ');
}

std::string reportNumber(double value, int decimals, int maxWidth, int width) {
  return rightAlign(std::isnan(value) ? "nan" : formatFixed(value, decimals, maxWidth), width);
}

std::string reportPValue(double p) {
  return std::isnan(p) ? rightAlign("nan", 8) : formatPValue(p);
}

void Regression::printReport(const std::string& title, bool withSelectionLevels) const {
  if (reportFile.empty()) return;
  const int k = nModel;
  const std::int64_t n = nObs;  // n - k cannot overflow
  auto R = reportNumber;
  const double sy = sscp != nullptr ? S(0, numOfRgrs) : std::numeric_limits<double>::quiet_NaN();
  const double mean = sy / n;
  const double deviation = std::sqrt((Syy - sy * sy / n) / (n - 1));
  std::string text = "\n*****  " + title + "  *****\n\n";
  text += "Dependent Variable: " + LHS + "      Weighted by: " + Weight + "\n" + kRule + "\n";
  text += "  Source       DF   Sum of Sq.   Mean Square  |  F value  " + R(F, 3, 8, 9) +
          "  Prob>F    " + reportPValue(probabilityAboveF(k - 1, n - k, F)) + "\n";
  text += std::string(46, '-') + "|  R square " + R(R2, 5, 7, 9) + "  adj R-sq." +
          R(adjR2, 5, 7, 9) + "\n";
  text += "  Model  " + R(k - 1, 0, 8, 8) + " " + R(SSR, 4, 12, 12) + " " +
          R(SSR / (k - 1), 4, 12, 12) + "   |  RMSE     " + R(std::sqrt(MSE), 3, 8, 9) +
          "  Total Wgt" + R(totalWeight, 2, 9, 9) + "\n";
  text +=
      "  Error  " + R(n - k, 0, 8, 8) + " " + R(SSE, 4, 12, 12) + " " + R(MSE, 4, 12, 12) + "   |";
  if (withSelectionLevels)
    text += "  SL.Entry " + R(slEntry, 3, 8, 9) + "  SL.Stay  " + R(slStay, 3, 8, 9);
  text += "\n  Total  " + R(n - 1, 0, 8, 8) + " " + R(SST, 4, 12, 12) + " " +
          R(SST / (n - 1), 4, 12, 12) + "   |  Dep. Mean" + R(mean, 3, 8, 9) + "  Dep. Std " +
          R(deviation, 3, 8, 9) + "\n" + kRule + "\n";
  text += std::string("  Regressor          Coef.   Std.Err. ") +
          (withSelectionLevels ? "Type II SS   F Value   Prob>F " : "        z  Prob>|z|") +
          "  Label\n" + kRule + "\n";
  for (int i = 0; i < k; ++i) {
    const Regressor& record = regressors[static_cast<std::size_t>(selected[i])];
    const double se = std::sqrt(inverse(i, i) * MSE / weightScale);
    const double t = beta[i] / se;
    text += leftAlign(record.name, 14) + R(beta[i], 5, 10, 10) + " " + R(se, 5, 10, 10) + " ";
    if (withSelectionLevels)
      text += R(t * t * MSE, 4, 10, 10) + " " + R(t * t, 4, 9, 9) + " ";
    else
      text += R(t, 4, 9, 9) + " ";
    text += reportPValue(twoSidedPValue(n - k, t)) + " " + leftAlign(record.label, 25) + "\n";
  }
  text += kRule + "\n\n";
  File out;
  if (out.open(reportFile, File::Mode::kAppend)) out.write(text.data(), text.size());
}

}  // namespace tessary

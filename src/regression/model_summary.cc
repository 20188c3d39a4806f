#include "regression/model_summary.h"

#include "frame/number_format.h"
#include "platform/text.h"
#include "regression/regression.h"
#include "regression/report.h"

namespace tessary {
namespace {

std::string orNone(const std::string& text) {
  return text.empty() ? "(none)" : text;
}

// A newly built model carries no statistics; a fit always leaves a total sum of squares.
bool isFitted(const Regression& model) {
  return model.status == 0 && model.SST != 0.0;
}

const char* statusText(const Regression& model) {
  if (model.status < 0) return "the last fit failed";
  return isFitted(model) ? "fitted" : "not fitted";
}

}  // namespace

std::string modelSummary(const Regression& model) {
  std::string text = "dependent " + orNone(model.LHS) + ", weight " + orNone(model.Weight) +
                     ", condition " + orNone(model.condition) + "\n";
  text += formatText("%d records, %d included, total weight %s\n", model.nRecs, model.nObs,
                     formatFixed(model.totalWeight).c_str());
  text += formatText("%s; %d of %d regressors marked for the model\n", statusText(model),
                     model.initialModelSize, model.numOfRgrs);
  if (isFitted(model))
    text += "R2 " + formatFixed(model.R2) + "  adj. R2 " + formatFixed(model.adjR2) + "  F " +
            formatFixed(model.F) + "  MSE " + formatFixed(model.MSE) + "\n";
  text += "  IN  REGRESSOR                     COEF.      STD.ERR.    PROB  LABEL\n";
  for (const Regressor& record : model.regressors) {
    const bool shown = record.inModel() && isFitted(model);
    text += formatText("  %c%c ", record.inModel() ? '*' : ' ', record.flags & kFixed ? 'F' : ' ');
    text +=
        leftAlign(record.name, 20) + rightAlign(shown ? formatFixed(record.coef, 5, 12) : "", 14);
    text += rightAlign(shown ? formatFixed(record.stdErr, 5, 12) : "", 14) + " ";
    text += (shown ? reportPValue(record.prob) : std::string(8, ' ')) + leftAlign(record.label, 40);
    text.erase(text.find_last_not_of(' ') + 1);
    text += "\n";
  }
  return text;
}

}  // namespace tessary

// Leave-one-group-out fits: the model refitted from the data once without each
// category of a grouping variable, for checking that no one group drives the fit.
//
// Readings taken where the rules leave a choice:
//  - every fit starts again from the sample the object was initialised with (the
//    caller's mask, holding the model's own condition), so each leaves out exactly one
//    category; the category's condition "(byVar)!=code" replaces the model's condition;
//  - the weights of each fit are the weight variable's values of its included records;
//  - the regressors fitted are those the model file marks, even when its last fit
//    failed.
#include <algorithm>
#include <vector>

#include "frame/number_format.h"
#include "regression/member_label.h"
#include "regression/regression.h"

namespace tessary {

// Fits the model on `baseMask` without the records of category `code`; the mask and
// weight buffers are the fit's own (one bit and one weight per record).
bool Regression::fitWithoutCategory(const std::string& byVar, std::int32_t code,
                                    std::span<const std::uint8_t> baseMask,
                                    std::span<std::uint8_t> mask, std::span<double> weightBuffer) {
  const int modelSize = initialModelSize;
  std::copy(baseMask.begin(), baseMask.end(), mask.begin());
  condition = "(" + byVar + ")!=" + formatFixed(code, 7, 14);
  if (Weight.empty()) {
    init(mask.data(), nullptr, false);
  } else {
    init(mask.data(), weightBuffer.data(), false);  // applies the condition
    readValues(Weight, weightBuffer.data());
    init(mask.data(), weightBuffer.data(), false);  // the included records' weights
  }
  nModel = static_cast<std::int16_t>(modelSize);
  return simpleOLS() == 0;
}

std::int32_t Regression::OLSby(const std::string& byVar, double* resultsOut) {
  return withLabel("Regression::OLSby():\n", [&] {
    if (mBuffer == nullptr) raiseFailure("mBuffer missing");
    suppressSave = true;
    const std::span<std::uint8_t> callerMask = gmask;
    const std::vector<std::uint8_t> baseMask(gmask.begin(), gmask.end());
    std::vector<std::uint8_t> mask(baseMask.size());
    std::vector<double> weightBuffer(static_cast<std::size_t>(std::max(nRecs, 1)), 0.0);
    std::int32_t fitted = 0;
    double* out = resultsOut;
    for (const Category& category : data().categories(byVar)) {
      if (!fitWithoutCategory(byVar, category.code, baseMask, mask, weightBuffer)) continue;
      for (double value : {static_cast<double>(category.code), static_cast<double>(nObs), SSE, SSR,
                           R2, F, MSE, adjR2})
        *out++ = value;
      for (int i = 0; i < nModel; ++i) {
        *out++ = beta[i];
        *out++ = beta[i] / standardError(i);
      }
      fitted += 1;
    }
    mBuffer = callerMask.data();
    gmask = callerMask;
    return fitted;
  });
}

}  // namespace tessary

// Leave-one-group-out refits of a model: once per group code, the model fitted directly
// from the data with that group's households left out by the condition
// "(byVar)!=code", without writing the model file.
//
// Readings taken where the behaviour is open:
//  - every refit starts again from the household level's global mask with the records
//    that miss a variable of the model excluded, so a refit never keeps an earlier
//    group's exclusions and no missing value enters a fit;
//  - a weighted model's weights are read afresh for each refit's households.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

class Regression;
class RegressionData;

// The group codes of a result label file, in file order: of every line holding "=",
// the text before the "=", cut at its first ",", read as a leading decimal integer
// (which stops at the vertical tab after the code; no digits give 0).
std::vector<std::int32_t> labelFileGroups(std::string_view text);

// For each code whose refit succeeds, appends to `results` the code, nObs, SSE, SSR,
// R2, F, MSE and adjR2, then for every regressor in the model, in record order, its
// coefficient and t statistic: 8 + 2 nModel doubles. A refit whose cross-products are
// singular is skipped ("can't inverse" traced). Returns the number appended; the
// model's condition is restored.
std::int32_t refitLeavingOut(Regression& model, RegressionData& data, const std::string& byVar,
                             std::span<const std::int32_t> codes, double* results);

}  // namespace tessary

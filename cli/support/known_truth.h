// Model-based estimates against the truth they estimate: the headcount ratios of a
// synthetic census that keeps its drawn log welfare (SyntheticOptions::censusWelfare),
// and how the estimates' intervals cover them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "support/area_estimates.h"

namespace tessary::cli {

struct TruthCoverage {
  std::size_t areas = 0;
  double covered = 0.0;  // share of areas whose truth lies within estimate +- 1.96 s.e.
  // The mean over areas of estimate - truth, weighted by the areas' persons: the error
  // of the estimate for all the areas together. The areas' errors share the fitted
  // model's, so its standard error is that of the estimate for all the areas (their
  // simulation as one area), not the spread of the errors over the root of their number.
  double meanError = 0.0;
  double meanSe = 0.0;  // mean reported standard error
};

// The census's true headcount per area, persons weighted by SIZE, below `line` in
// exp(LNWELFARE); areas are the cluster-level variable `areaId` without its last
// `digits` digits, as the simulation forms them. Every estimate's area must be one.
TruthCoverage truthCoverage(const std::string& censusDaa, const std::string& areaId, int digits,
                            double line, const std::vector<AreaEstimate>& estimates);

}  // namespace tessary::cli

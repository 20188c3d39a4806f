// From the sums of every replication of an area to its estimates: each replication's
// mean welfare and FGT0, FGT1, FGT2 are its sums over the area's weight; the estimate
// is their mean over the replications and its standard error their standard deviation
// (divisor R - 1).
#pragma once

#include <array>

#include "simulation/replication_kernel.h"

namespace tessary {

struct ReplicatedFigure {
  double estimate = 0.0;
  double standardError = 0.0;  // MISSING with a single replication
};

// Figures in the order of the sums: mean welfare, FGT0, FGT1, FGT2. `sums` holds
// kMeasureSums values per replication, replication after replication. All figures are
// MISSING when the weight is not above 0 or there is no replication.
std::array<ReplicatedFigure, kMeasureSums> summarizeReplications(const double* sums,
                                                                 int replications, double weight);

}  // namespace tessary

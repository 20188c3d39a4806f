#include "simulation/replication_summary.h"

#include <cmath>

#include "frame/missing.h"

namespace tessary {

std::array<ReplicatedFigure, kMeasureSums> summarizeReplications(const double* sums,
                                                                 int replications, double weight) {
  std::array<ReplicatedFigure, kMeasureSums> figures;
  for (int m = 0; m < kMeasureSums; ++m) {
    ReplicatedFigure& figure = figures[m];
    if (!(weight > 0.0) || replications < 1) {
      figure = {MISSING, MISSING};
      continue;
    }
    double total = 0.0;
    for (int r = 0; r < replications; ++r)
      total += sums[r * kMeasureSums + m] / weight;
    figure.estimate = total / replications;
    double squares = 0.0;
    for (int r = 0; r < replications; ++r) {
      const double deviation = sums[r * kMeasureSums + m] / weight - figure.estimate;
      squares += deviation * deviation;
    }
    figure.standardError = replications > 1 ? std::sqrt(squares / (replications - 1)) : MISSING;
  }
  return figures;
}

}  // namespace tessary

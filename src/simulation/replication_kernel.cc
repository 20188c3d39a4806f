#include "simulation/replication_kernel.h"

#include <cmath>

#include "numeric/vector_functions.h"
#include "regression/alpha_model.h"

namespace tessary {

void logWelfare(const ReplicationRows& in, double* out) {
  const std::size_t n = in.rows;
  if (in.z == nullptr) {
    const double sigma = std::sqrt(in.variance);
    for (std::size_t i = 0; i < n; ++i)
      out[i] = in.xb[i] + in.eta[i] + sigma * in.eps[i];
    return;
  }
  for (std::size_t i = 0; i < n; ++i)
    out[i] = -in.z[i];
  vmath::exp(out, out, n);
  for (std::size_t i = 0; i < n; ++i) {
    const double p = 1.0 / (1.0 + out[i]);
    const double sigma = std::sqrt(epsilonVarianceAt(in.A, in.alphaMSE, p));
    out[i] = in.xb[i] + in.eta[i] + sigma * in.eps[i];
  }
}

void addAreaSums(double* lnWelfare, std::size_t rows, const double* weight,
                 std::span<const AreaRun> runs, double line, double* sums, std::size_t areaStride) {
  vmath::exp(lnWelfare, lnWelfare, rows);
  const double* welfare = lnWelfare;
  const double inverseLine = 1.0 / line;
  for (const AreaRun& run : runs) {
    double total = 0.0, poor = 0.0, gap = 0.0, gapSquared = 0.0;
    for (std::uint32_t i = run.begin; i < run.end; ++i) {
      const double w = weight[i], y = welfare[i];
      // Selects rather than branches: about a third of the households are poor.
      const double wPoor = y < line ? w : 0.0;
      const double g = y < line ? 1.0 - y * inverseLine : 0.0;
      total += w * y;
      poor += wPoor;
      gap += wPoor * g;
      gapSquared += wPoor * g * g;
    }
    double* area = sums + run.area * areaStride;
    area[0] += total;
    area[1] += poor;
    area[2] += gap;
    area[3] += gapSquared;
  }
}

}  // namespace tessary

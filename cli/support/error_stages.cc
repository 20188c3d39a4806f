// The location effect and GLS stages of `tessary fit` (see fit_stages.h).
#include <algorithm>
#include <cmath>

#include "frame/failure.h"
#include "platform/column_memory.h"
#include "regression/alpha_model.h"
#include "regression/regression.h"
#include "support/fit_stages.h"

namespace tessary::cli {

LocationStage estimateLocationEffect(const WelfareStage& welfare) {
  LocationStage stage;
  const std::vector<ClusterSummary> clusters =
      summariseClusters(welfare.residuals, welfare.weights, welfare.clusters.counts);
  stage.eps.assign(welfare.residuals.size(), 0.0);
  stage.effect = locationEffect(welfare.residuals, welfare.weights, clusters, stage.eps);
  if (stage.effect.singletons == static_cast<std::int32_t>(clusters.size()))
    raiseFailure("no cluster has two households: the location effect can't be estimated");
  std::size_t h = 0;
  stage.householdErrors = stage.eps;
  for (const ClusterSummary& cluster : clusters) {
    stage.clusterEffects.push_back(cluster.eta);
    const double m = cluster.count;
    for (std::size_t end = h + static_cast<std::size_t>(m); h < end; ++h)
      stage.householdErrors[h] *= m > 1 ? std::sqrt(m / (m - 1)) : 0.0;
  }
  return stage;
}

std::vector<double> commonVariances(const WelfareStage& welfare, const LocationStage& location) {
  std::vector<double> variances(welfare.residuals.size());
  std::vector<double> unused(welfare.residuals.size(), 0.0);
  epsilonVariances(1, unused, welfare.model.mse, location.effect.sigEta2, 0.0, 0.0, variances);
  if (!variances.empty() && !(variances[0] > 0))
    raiseFailure(
        "the location effect's variance reaches the welfare model's MSE: no household error "
        "variance is left (fit an alpha model)");
  return variances;
}

GlsEstimate adjustByGls(const FitPlan& plan, const WelfareStage& welfare,
                        const LocationStage& location, std::vector<double> variances) {
  Regression model;
  model.load(plan.survey, plan.welfareModel());
  std::vector<std::uint8_t> mask = welfare.sample.mask;
  std::vector<double> weights = welfare.weights;
  model.init(mask.data(), weights.data(), false);
  const int k = model.selectModel();
  const auto n = static_cast<std::size_t>(model.nObs);
  ColumnBuffer<double> x(n * (static_cast<std::size_t>(k) + 1));
  model.getX(x.data(), 0);
  const double sigEta2 = std::max(location.effect.sigEta2, 0.0);
  const GlsProblem problem{.x = x.data(),
                           .ld = n,
                           .n = model.nObs,
                           .k = k,
                           .weights = weights,
                           .y = std::span<const double>(x.data() + n * k, n),
                           .varEps = variances,
                           .clusterSizes = welfare.clusters.counts,
                           .sigEta2 = sigEta2,
                           .noLocation = sigEta2 == 0.0};
  return glsAdjustment(problem, GlsMiddleTerm::kSandwich);
}

}  // namespace tessary::cli

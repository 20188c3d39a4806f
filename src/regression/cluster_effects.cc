#include "regression/cluster_effects.h"

#include <algorithm>

#include "data/little_endian.h"
#include "frame/failure.h"
#include "numeric/saturating_cast.h"
#include "platform/column_memory.h"
#include "regression/regression_data.h"
#include "regression/regression_trace.h"

namespace tessary {

ClusterRuns clusterRuns(std::span<const double> ids, double amplifier) {
  ClusterRuns runs;
  std::int64_t current = 0;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const std::int64_t key = saturatingInt64(ids[i] / amplifier);
    if (i == 0 || key != current) {
      runs.keys.push_back(static_cast<double>(key));
      runs.counts.push_back(0);
      current = key;
    }
    ++runs.counts.back();
  }
  return runs;
}

ClusterRuns countClusters(RegressionData& data, const std::uint8_t* mask) {
  ColumnBuffer<double> ids(static_cast<std::size_t>(std::max<std::int64_t>(data.recordCount(), 1)));
  const std::size_t included = data.readIncluded(data.clusterIdName(), mask, ids.data());
  const double amplifier = data.clusterAmplifier();
  if (amplifier == 0.0) raiseFailure("DataRef corrupted: zero amplifier");
  return clusterRuns(std::span<const double>(ids.data(), included), amplifier);
}

std::vector<ClusterSummary> readClusterRecords(const void* records, std::int32_t count) {
  const auto* bytes = static_cast<const std::uint8_t*>(records);
  std::vector<ClusterSummary> clusters(static_cast<std::size_t>(std::max(count, 0)));
  for (std::size_t c = 0; c < clusters.size(); ++c) {
    const std::uint8_t* record = bytes + c * kClusterRecordBytes;
    clusters[c] = {loadLittle<double>(record), loadLittle<double>(record + 8),
                   loadLittle<double>(record + 16), loadLittle<double>(record + 48)};
  }
  return clusters;
}

std::vector<ClusterSummary> summariseClusters(std::span<const double> u, std::span<const double> w,
                                              std::span<const std::int32_t> counts) {
  std::vector<ClusterSummary> clusters;
  std::size_t h = 0;
  for (const std::int32_t count : counts) {
    const auto m = static_cast<std::size_t>(std::max(count, 0));
    if (m > u.size() - h) raiseFailure("Cluster size greater than the number of observation");
    ClusterSummary cluster{static_cast<double>(m), 0.0, 0.0, 0.0};
    for (std::size_t i = h; i < h + m; ++i) {
      cluster.eta += u[i];
      cluster.weight += w.empty() ? 1.0 : w[i];
    }
    cluster.eta /= std::max<double>(cluster.count, 1.0);
    for (std::size_t i = h; i < h + m; ++i)
      cluster.within += (u[i] - cluster.eta) * (u[i] - cluster.eta);
    cluster.within /= std::max<double>(cluster.count - 1.0, 1.0);
    clusters.push_back(cluster);
    h += m;
  }
  return clusters;
}

namespace {

std::int64_t householdsOf(const ClusterSummary& cluster) {
  return std::max<std::int64_t>(saturatingInt64(cluster.count), 0);
}

// eps of every household; raises before writing when the counts overrun u.
void splitResiduals(std::span<const double> u, std::span<const ClusterSummary> clusters,
                    std::span<double> eps) {
  std::int64_t total = 0;
  for (const ClusterSummary& cluster : clusters)
    if ((total += householdsOf(cluster)) > static_cast<std::int64_t>(u.size()))
      raiseFailure("Cluster size greater than the number of observation");
  std::size_t h = 0;
  for (const ClusterSummary& cluster : clusters)
    for (std::int64_t i = 0; i < householdsOf(cluster); ++i, ++h)
      eps[h] = u[h] - cluster.eta;
}

}  // namespace

LocationEffect locationEffect(std::span<const double> u, std::span<const double> w,
                              std::span<const ClusterSummary> clusters, std::span<double> eps) {
  splitResiduals(u, clusters, eps);
  double totalWeight = 0.0;
  for (double weight : w)
    totalWeight += weight;
  LocationEffect effect;
  double a = 0.0, b = 0.0, c = 0.0;
  for (const ClusterSummary& cluster : clusters) {
    if (cluster.count <= 1.0) {
      ++effect.singletons;
      continue;
    }
    const double tau = cluster.within / cluster.count;
    const double share = cluster.weight / totalWeight;
    a += share * (1.0 - share);
    b += share * cluster.eta * cluster.eta;
    c += share * (1.0 - share) * tau;
  }
  effect.sigEta2 = (b - c) / a;
  trace() << "SigEta2=" << effect.sigEta2 << '\n';
  for (const ClusterSummary& cluster : clusters) {
    if (cluster.count <= 1.0) continue;
    const double tau = cluster.within / cluster.count;
    const double share = cluster.weight / totalWeight;
    const double between = (effect.sigEta2 + tau) * share / a;
    const double within = tau * (1.0 - share) * share / a;
    effect.variance += 2.0 * (between * between + within * within / (cluster.count - 1.0));
  }
  return effect;
}

}  // namespace tessary

#include "support/direct_estimator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <span>
#include <utility>

#include "frame/failure.h"
#include "platform/text.h"

namespace tessary::cli {
namespace {

constexpr std::size_t kMeasures = 4;  // mean, FGT0, FGT1, FGT2
using Figures = std::array<double, kMeasures>;

// The values whose weighted ratios are the four measures.
Figures measuredValues(double welfare, double line) {
  const bool poor = welfare < line;
  const double gap = poor ? (line - welfare) / line : 0.0;
  return {welfare, poor ? 1.0 : 0.0, gap, gap * gap};
}

struct ClusterIndex {
  std::vector<std::int32_t> clusterOf;          // per household
  std::vector<std::int32_t> stratumOf;          // per cluster
  std::vector<std::int32_t> clustersInStratum;  // per stratum
};

ClusterIndex indexClusters(const DirectSample& sample) {
  ClusterIndex index;
  std::map<double, std::int32_t> strata;
  std::map<std::pair<double, double>, std::int32_t> clusters;
  index.clusterOf.resize(sample.cluster.size());
  for (std::size_t i = 0; i < sample.cluster.size(); ++i) {
    const double stratum = sample.stratum.empty() ? 0.0 : sample.stratum[i];
    const auto [s, newStratum] = strata.try_emplace(stratum, std::int32_t(strata.size()));
    if (newStratum) index.clustersInStratum.push_back(0);
    const auto [c, newCluster] =
        clusters.try_emplace({stratum, sample.cluster[i]}, std::int32_t(clusters.size()));
    if (newCluster) {
      index.stratumOf.push_back(s->second);
      ++index.clustersInStratum[static_cast<std::size_t>(s->second)];
    }
    index.clusterOf[i] = c->second;
  }
  return index;
}

// Sums of the cluster totals of one area per stratum, and the strata it touched.
class StratumSums {
 public:
  explicit StratumSums(const ClusterIndex& index)
      : index_(index),
        sums_(index.clustersInStratum.size()),
        squares_(sums_.size()),
        isTouched_(sums_.size(), false) {}

  void addCluster(std::int32_t cluster, const Figures& total) {
    const auto h = static_cast<std::size_t>(index_.stratumOf[static_cast<std::size_t>(cluster)]);
    if (!isTouched_[h]) {
      isTouched_[h] = true;
      touched_.push_back(h);
    }
    for (std::size_t m = 0; m < kMeasures; ++m) {
      sums_[h][m] += total[m];
      squares_[h][m] += total[m] * total[m];
    }
  }

  // The variances, leaving the sums cleared for the next area.
  Figures takeVariances() {
    Figures variance{};
    for (std::size_t h : touched_) {
      const double n = index_.clustersInStratum[h];
      for (std::size_t m = 0; m < kMeasures; ++m) {
        const double spread =
            n > 1 ? n / (n - 1) * (squares_[h][m] - sums_[h][m] * sums_[h][m] / n) : squares_[h][m];
        variance[m] += std::max(spread, 0.0);
      }
      sums_[h] = squares_[h] = Figures{};
      isTouched_[h] = false;
    }
    touched_.clear();
    return variance;
  }

 private:
  const ClusterIndex& index_;
  std::vector<Figures> sums_, squares_;
  std::vector<bool> isTouched_;
  std::vector<std::size_t> touched_;
};

// The estimates of one area from its households, sorted by cluster.
AreaEstimate estimateArea(const DirectSample& sample, const ClusterIndex& index, double line,
                          std::span<const std::size_t> households, StratumSums& sums) {
  AreaEstimate row;
  row.households = households.size();
  double weightTotal = 0;
  Figures totals{};
  for (std::size_t i : households) {
    row.persons += sample.persons[i];
    weightTotal += sample.weight[i];
    const Figures g = measuredValues(sample.welfare[i], line);
    for (std::size_t m = 0; m < kMeasures; ++m)
      totals[m] += sample.weight[i] * g[m];
  }
  if (!(weightTotal > 0)) return row;
  Figures ratio;
  for (std::size_t m = 0; m < kMeasures; ++m)
    ratio[m] = totals[m] / weightTotal;

  for (std::size_t start = 0; start < households.size();) {
    const std::int32_t cluster = index.clusterOf[households[start]];
    Figures total{};
    std::size_t end = start;
    for (; end < households.size() && index.clusterOf[households[end]] == cluster; ++end) {
      const std::size_t i = households[end];
      const Figures g = measuredValues(sample.welfare[i], line);
      for (std::size_t m = 0; m < kMeasures; ++m)
        total[m] += sample.weight[i] * (g[m] - ratio[m]) / weightTotal;
    }
    sums.addCluster(cluster, total);
    start = end;
  }
  const Figures variance = sums.takeVariances();
  Estimate* estimates[kMeasures] = {&row.mean, &row.fgt0, &row.fgt1, &row.fgt2};
  for (std::size_t m = 0; m < kMeasures; ++m)
    *estimates[m] = {ratio[m], std::sqrt(variance[m])};
  return row;
}

}  // namespace

std::vector<AreaEstimate> estimateAreas(const DirectSample& sample, double line, DesignSize* size) {
  const ClusterIndex index = indexClusters(sample);
  if (index.stratumOf.size() < 2)
    raiseFailure(formatText("standard errors need at least two clusters; the sample has %zu",
                            index.stratumOf.size()));
  if (size != nullptr) {
    size->clusters = index.stratumOf.size();
    size->strata = index.clustersInStratum.size();
    size->singleClusterStrata = static_cast<std::size_t>(
        std::count(index.clustersInStratum.begin(), index.clustersInStratum.end(), 1));
  }
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < sample.area.size(); ++i)
    if (sample.area[i] != kOutsideAreas) order.push_back(i);
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::pair(sample.area[a], index.clusterOf[a]) <
           std::pair(sample.area[b], index.clusterOf[b]);
  });

  std::vector<AreaEstimate> rows(sample.areaCount);
  StratumSums sums(index);
  for (std::size_t start = 0; start < order.size();) {
    const std::int32_t area = sample.area[order[start]];
    std::size_t end = start;
    while (end < order.size() && sample.area[order[end]] == area)
      ++end;
    rows[static_cast<std::size_t>(area)] =
        estimateArea(sample, index, line, std::span(order).subspan(start, end - start), sums);
    start = end;
  }
  return rows;
}

}  // namespace tessary::cli

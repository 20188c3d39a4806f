// The clusters of the included households and the split of the welfare model's
// residual u into a cluster (location) effect eta and a household effect eps = u - eta,
// with the variance of the location effect estimated from the cluster summaries.
//
// Readings taken where the behaviour is open:
//  - a cluster's household count is its count field truncated toward zero (none when
//    negative); counts that run past the residuals raise "Cluster size greater than the
//    number of observation" before anything is written;
//  - a cluster key is trunc(id / amplifier) saturated to 64 bits (a missing id gives
//    the largest key).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tessary {

class RegressionData;

// One cluster per run of consecutive records with the same key; a key that recurs
// after another starts a new cluster.
struct ClusterRuns {
  std::vector<double> keys;
  std::vector<std::int32_t> counts;
};

// Runs of trunc(id / amplifier) over the ids in order. REQUIRES: amplifier != 0.
ClusterRuns clusterRuns(std::span<const double> ids, double amplifier);

// The clusters of the records whose bit is clear in `mask`, from the identifier the
// household header names and the cluster reference's amplifier. Raises "DataRef
// corrupted: zero amplifier" for an amplifier of 0.
ClusterRuns countClusters(RegressionData& data, const std::uint8_t* mask);

// What the estimate reads of a host's cluster summary record.
struct ClusterSummary {
  double count = 0.0;   // households of the cluster
  double eta = 0.0;     // the cluster's mean residual
  double within = 0.0;  // within / count is the variance of that mean
  double weight = 0.0;  // the cluster's total weight
};

// What a host hands locationalEffect, formed from the residuals u (households in
// cluster order, `counts` of them per cluster in turn): each cluster's household count,
// mean residual, the residuals' sample variance about that mean (divisor count - 1, so
// that within / count estimates the variance of the mean; 0 for one household) and
// total weight (w empty: 1 per household). Raises "Cluster size greater than the
// number of observation" when the counts run past u.
std::vector<ClusterSummary> summariseClusters(std::span<const double> u, std::span<const double> w,
                                              std::span<const std::int32_t> counts);

// The host's records: 104 bytes each, little-endian doubles, count at offset 0, eta at
// 8, within at 16 and weight at 48; the other bytes are not read.
inline constexpr std::size_t kClusterRecordBytes = 104;
std::vector<ClusterSummary> readClusterRecords(const void* records, std::int32_t count);

struct LocationEffect {
  double sigEta2 = 0.0;         // the location effect's variance (may be negative)
  double variance = 0.0;        // the estimate's sampling variance
  std::int32_t singletons = 0;  // clusters of at most one household, left out of both
};

// eps(h) := u(h) - eta of h's cluster, clusters taking their households from u in order,
// then the moment estimate of sigma^2_eta (traced "SigEta2=") and its sampling variance.
LocationEffect locationEffect(std::span<const double> u, std::span<const double> w,
                              std::span<const ClusterSummary> clusters, std::span<double> eps);

}  // namespace tessary

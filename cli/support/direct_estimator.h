// Direct survey estimates of welfare per area with design-based standard errors.
//
// Every figure is a weighted ratio R = sum(w g(y)) / sum(w) over the households of the
// area, w being the household's weight times its persons, g(y) welfare itself (the
// mean) or ((Z - y) / Z)^a for y < Z and 0 otherwise (FGT a = 0, 1, 2 at the line Z).
// Its variance is the Taylor linearisation with clusters as primary sampling units
// drawn with replacement: the linearised value u = w (g(y) - R) / sum(w) is summed per
// cluster, and the totals t vary as
//     V = sum over strata h of n_h / (n_h - 1) * sum over h's clusters (t - mean_h t)^2,
// n_h counting every cluster of the stratum in the sample, those without a household
// of the area included (with t = 0): areas are domains of the whole design. Without
// strata the whole sample is one stratum. A stratum with a single cluster has no
// spread of its own; its cluster's total is taken about the mean of all totals, zero
// for a ratio's linearised values, so it adds t^2 (the conservative "adjust" rule of
// common survey software). Clusters are told apart within their stratum, so the same
// identifier in two strata names two clusters.
#pragma once

#include <cstdint>
#include <vector>

#include "support/area_estimates.h"

namespace tessary::cli {

struct DirectSample {
  // One entry per household of the design, in any order.
  std::vector<double> welfare;
  std::vector<double> weight;      // sampling weight times persons
  std::vector<double> persons;     // counted in the area's persons
  std::vector<double> cluster;     // identifiers, any finite numbers
  std::vector<double> stratum;     // empty: a single stratum
  std::vector<std::int32_t> area;  // 0 .. areaCount - 1, or kOutsideAreas
  std::size_t areaCount = 0;
};

// Households that stay in the design but belong to no area (missing values, filter).
constexpr std::int32_t kOutsideAreas = -1;

struct DesignSize {
  std::size_t clusters = 0;
  std::size_t strata = 0;
  std::size_t singleClusterStrata = 0;
};

// One row per area, in area order, without area names; an area whose weights sum to
// zero has missing figures. Raises when the design has fewer than two clusters.
std::vector<AreaEstimate> estimateAreas(const DirectSample& sample, double line,
                                        DesignSize* size = nullptr);

}  // namespace tessary::cli

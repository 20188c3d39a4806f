// A synthetic census and household survey with a known welfare model, for the demo
// and for trying the tool without real data.
//
// Census: households in clusters of 50-200, clusters in districts (about 20 clusters
// each), districts in regions (5 each). Household variables: the identifier HHID =
// cluster x 1000 + the household's number in its cluster (the levels are combined with
// that amplifier), size, rooms, the head's education (labelled), electricity,
// urban/rural and region (labelled); cluster variables: the geographic code GEOCODE =
// (region x 1000 + district) x 100 + the cluster's number in its district (so that
// dropping its last 2 digits gives the district's code, the last 5 the region),
// district, region, urban and the cluster means of the household variables.
// Log welfare follows
//   7.2 - 0.11 SIZE + 0.07 ROOMS + 0.12 (EDUC - 1) + 0.25 ELECTRICITY
//       + 0.18 URBAN + 0.40 CL_ELECTRICITY + eta + eps
// with URBAN 1 for urban clusters, eta ~ N(0, 0.15^2) per cluster and
// eps ~ N(0, (0.30 exp(0.06 (SIZE - 4)))^2) per household.
// Survey: a simple random sample of clusters (500, or every cluster when fewer) with
// 15 households drawn in each (all when fewer), weighted by the inverse of the
// selection probability rounded to a whole number.
#pragma once

#include <cstdint>
#include <string>

#include "import/csv_reader.h"

namespace tessary::cli {

inline constexpr double kClusterEffectVariance = 0.15 * 0.15;
// Household identifier = cluster x kHouseholdAmplifier + the household's number.
inline constexpr double kHouseholdAmplifier = 1000;

struct SyntheticOptions {
  std::string directory;  // must exist
  std::uint32_t households = 200000;
  std::uint64_t seed = 1;
  std::uint32_t surveyClusters = 500;
  std::uint32_t householdsPerCluster = 15;
  // Keeps the drawn log welfare (LNWELFARE) in the census too, where a real census has
  // none: the truth that known-truth checks compare model-based estimates with.
  bool censusWelfare = false;
};

struct SyntheticReport {
  std::string censusDaa;
  std::string surveyDaa;
  std::uint32_t censusHouseholds = 0;
  std::uint32_t censusClusters = 0;
  std::uint32_t surveyHouseholds = 0;
  std::uint32_t surveyClusters = 0;
  std::uint32_t districts = 0;
  std::uint32_t regions = 0;
};

// Writes census_households, census_clusters, census.daA, survey_households,
// survey_clusters and survey.daA into the directory.
SyntheticReport writeSyntheticSurvey(const SyntheticOptions& options,
                                     const ProgressCallback& progress = {});

}  // namespace tessary::cli

// The simulation over the census, block by block on the parallel layer's threads: for
// each block of households the design columns of the welfare and alpha models (through
// the library's design reader), one product for x beta_r of every replication and one
// for x alpha_r, the cluster effects and household errors drawn by number, and the
// replication kernel's sums added per area. Blocks are fixed ranges of records and
// their totals are added in block order, so the sums do not depend on the thread count;
// a partition computes exactly the blocks that hold its households, in the same way, so
// its sums are the single run's.
//
// A household takes part when its cluster's area is in the partition; it is left out
// (counted) when its predicted welfare x beta, its alpha prediction or its persons are
// missing. Persons below zero are an error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "regression/regressor.h"
#include "simulation/replication_parameters.h"
#include "support/census_columns.h"
#include "support/fitted_model.h"
#include "support/simulation_areas.h"

namespace tessary::cli {

struct SimulationSetup {
  const CensusColumns* census = nullptr;
  const SimulationAreas* areas = nullptr;
  const FittedModel* model = nullptr;
  const SimulationModel* parameters = nullptr;
  const ReplicationParameters* replications = nullptr;
  std::uint64_t seed = 0;
  double line = 0.0;
  std::string persons;     // "": every household weighs 1
  bool empirical = false;  // errors drawn from the model's empirical errors
};

// Totals per area of the finest level.
struct AreaTotals {
  int replications = 0;
  std::vector<std::uint64_t> households;
  std::vector<double> weight;
  std::vector<double> sums;  // [area][replication][kMeasureSums]
  std::uint64_t simulated = 0;
  std::uint64_t leftOut = 0;
};

// The census variables the setup's models and persons read.
std::vector<std::string> simulationVariables(const FittedModel& model, const std::string& persons);

AreaTotals simulateCensus(const SimulationSetup& setup);

}  // namespace tessary::cli

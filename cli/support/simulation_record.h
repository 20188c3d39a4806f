// How a simulation's estimates were made: the "run" object of its estimates files,
// written by `tessary simulate` and read back by `tessary merge`, which requires every
// partition to agree on the settings and adds their counts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/simulation_areas.h"

namespace tessary::cli {

struct SimulationRecord {
  // Settings: equal in every partition of a run.
  std::string model;
  std::string census;
  std::string clusterId;  // the identifier the areas shorten
  std::string dependent;
  std::string persons;  // "": households weigh 1
  std::string errors;   // "normal" or "empirical"
  int replications = 0;
  std::uint64_t seed = 0;
  double line = 0.0;
  std::vector<int> areaDigits;  // every level of the run, as given
  int digits = 0;               // the level of this file
  // Which part of the run this is; none for a whole run.
  std::optional<Partition> partition;
  // Counts of this part: households simulated and left out (of every level), cluster
  // records, and areas of this file's level.
  std::uint64_t households = 0;
  std::uint64_t leftOut = 0;
  std::uint64_t clusters = 0;
  std::uint64_t areas = 0;
};

nlohmann::ordered_json recordJson(const SimulationRecord& record);

// Reads the "run" object of an estimates document; raises "<file>: run.<field>: ..."
// when it is not one that `tessary simulate` wrote.
SimulationRecord recordFromJson(const std::string& file, const nlohmann::json& document);

bool sameSettings(const SimulationRecord& a, const SimulationRecord& b);

// The file stem of a level's estimates: "estimates" for the first level given, else
// "estimates-<digits>".
std::string estimatesStem(const std::vector<int>& areaDigits, std::size_t level);

}  // namespace tessary::cli

// `tessary simulate`: carries a fitted welfare model (model.json) to a census by
// simulation (see census_simulation.h) and writes per-area estimates (area_estimates.h)
// into a directory that appears only when every file is complete: "estimates.csv" and
// "estimates.json" for the first level of --area-digits, "estimates-D.csv" and
// "estimates-D.json" for each further level D.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/missing.h"

namespace tessary::cli {

struct SimulateOptions {
  std::string model;   // model.json
  std::string census;  // .daA
  int replications = 100;
  std::uint64_t seed = 0;
  double line = MISSING;
  std::string persons;  // "": estimates per household
  std::string cluster;  // "": the identifier the census's cluster level names
  std::vector<int> areaDigits;
  std::string out;
  std::string partition;  // "i/n", "" for the whole census
  std::string errors = "normal";
};

// Writes the estimates and returns the summary line (without a line feed).
std::string runSimulate(const SimulateOptions& options);

}  // namespace tessary::cli

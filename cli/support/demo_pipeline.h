// The demo's poverty map: the commands a user runs on a survey and a census, run on the
// synthetic ones (tessary fit, simulate, direct and report), with the account of each.
#pragma once

#include <cstdint>
#include <string>

#include "support/fit_run.h"
#include "support/simulation_run.h"
#include "support/synthetic_survey.h"

namespace tessary::cli {

// The poverty line of the demo, about the 20th percentile of welfare per person.
inline constexpr double kDemoPovertyLine = 900;

// Writes the demo's project.ini into `directory` (ending in '/', holding the synthetic
// survey and census) and returns the options of its fit into directory + "fit".
FitOptions demoFit(const std::string& directory);

// The simulation of the census with a fitted model, by the persons in SIZE, with areas
// GEOCODE without its last `areaDigits` digits (2: the districts).
SimulateOptions demoSimulation(const std::string& model, const std::string& censusDaa,
                               std::uint64_t seed, std::vector<int> areaDigits,
                               const std::string& out);

// Writes project.ini, fit/, simulate/, direct/ and report.html into `directory` (ending
// in '/', holding the demo's districts shape file); returns the account.
std::string runDemoPipeline(const std::string& directory, const SyntheticReport& data,
                            std::uint64_t seed);

}  // namespace tessary::cli

// The demo's poverty map: the commands a user runs on a survey and a census, run on the
// synthetic ones (tessary fit, simulate, direct and report), with the account of each.
#pragma once

#include <cstdint>
#include <string>

#include "support/synthetic_survey.h"

namespace tessary::cli {

// The poverty line of the demo, about the 20th percentile of welfare per person.
inline constexpr double kDemoPovertyLine = 900;

// Writes project.ini, fit/, simulate/, direct/ and report.html into `directory` (ending
// in '/', holding the demo's districts shape file); returns the account.
std::string runDemoPipeline(const std::string& directory, const SyntheticReport& data,
                            std::uint64_t seed);

}  // namespace tessary::cli

// `tessary direct`: direct survey estimates per area (see direct_estimator.h for the
// method) from the households of a data set, written as area estimates (see
// area_estimates.h) into a directory that appears only when they are complete.
//
// Households with a missing welfare, weight, persons or area value, and those the
// filter does not keep (a record is kept where the filter is exactly 1), stay in the
// design, so their clusters count, but belong to no area. A missing cluster or
// stratum identifier, a negative weight or a negative persons value is an error.
#pragma once

#include <string>

#include "frame/missing.h"

namespace tessary::cli {

struct DirectOptions {
  std::string data;     // .daH, or a .daA read at the household level
  std::string welfare;  // each of these is an expression; a variable name is one
  std::string weight;   // "": the weight stored with the data set, if any
  bool unweighted = false;
  std::string cluster;
  std::string strata;   // "": no strata
  std::string persons;  // "": households are weighed and counted, not persons
  std::string filter;   // "": every household
  double line = MISSING;
  std::string by;       // areas are the values of this, or
  int areaDigits = -1;  // the cluster identifier without its last areaDigits digits
  std::string out;      // the directory to write
};

// Writes the estimates and returns the summary line (without a line feed).
std::string runDirect(const DirectOptions& options);

}  // namespace tessary::cli

// Summaries by shifted identifier: consecutive records whose identifier, divided by
// 10^shift and truncated, is the same form one group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/data_set.h"

namespace tessary {

// One summary: the records the filter selects, weighted, grouped by their identifier
// expression (the record identifiers by default) divided by 10^shift.
struct ShiftedIdRequest {
  std::string filter;
  std::string weight;
  std::string analysis;
  std::string identifier = "$ID$";
  int shift = 0;
  int statistic = 0;  // as summarizeByShiftedId below
};

// 10^shift, exact for shifts -10..10.
double powerOfTen(int shift);

// Visits records in order; a record takes part when its value, identifier and weight
// are finite. Writes each group's key to keysOut[g] and its statistic to valuesOut[g]:
// 1 count, 2 weighted mean, 3 sqrt(n (S2/W - mean^2)), 4 minimum, 5 maximum, any
// other the weighted mean. Returns the number of groups.
std::int32_t summarizeByShiftedId(const double* identifiers, const double* values,
                                  const double* weights, std::size_t count, int shift,
                                  int statistic, double* keysOut, double* valuesOut);

// Evaluates the request over the data set's level and summarizes it into the caller's
// arrays; returns the number of groups.
std::int32_t summarizeByShiftedId(DataSet& data, const ShiftedIdRequest& request, double* keysOut,
                                  double* valuesOut);

}  // namespace tessary

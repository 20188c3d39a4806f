// Handing a column of a data set to a host's buffer: the exports that fill one return
// the number of records, and a NULL buffer asks for that number alone.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "data/data_set.h"

namespace tessary {

// The record count as a 32-bit result; raises "<function>: N records are more than a
// 32-bit count holds" when it does not fit.
std::int32_t countForCaller(std::int64_t records, std::string_view function);

// Copies the values to `out`, which holds `capacity` values; raises "<function>: the
// buffer holds C values, fewer than the N records" when they do not fit.
void copyToCaller(std::span<const double> values, double* out, std::int32_t capacity,
                  std::string_view function);

// Opens `dataSet` at `level` and, unless `out` is NULL or there is no record, copies
// the values `column(data)` gives (a span over at least the level's records) to `out`.
// Returns the level's record count.
template <class Column>
std::int32_t columnForCaller(const std::string& dataSet, std::int32_t level, double* out,
                             std::int32_t capacity, std::string_view function, Column&& column) {
  DataSet data;
  data.open(dataSet, level);
  const std::int32_t count = countForCaller(data.recordCount(), function);
  if (out == nullptr || count == 0) return count;
  const std::span<const double> values = column(data);
  copyToCaller(values.first(static_cast<std::size_t>(count)), out, capacity, function);
  return count;
}

}  // namespace tessary

// The record-identifier column of a data array level: the variable its header's
// headerTextA names (the cluster identifier on a household level), or the record
// number when that text is empty or names no stored variable. Aggregates group by it
// and cross tabulation reads it as "$ID$".
#pragma once

#include <cstdint>
#include <span>

#include "data/data_array.h"

namespace tessary {

// Identifiers of records fromRec..toRec into the front of out.
void readRecordIdentifiers(DataArray& data, std::span<double> out, std::int64_t fromRec,
                           std::int64_t toRec);

}  // namespace tessary

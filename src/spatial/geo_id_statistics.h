// Identifier statistics of an attribute table: the range and the number of distinct
// values of an identifier field with its last digits dropped.
#pragma once

#include <cstdint>

namespace tessary {

// trunc(identifier / 10^shiftDigits) as a 64-bit integer, saturating.
std::int64_t shiftedIdentifier(double identifier, std::int32_t shiftDigits);

// Reads idField of every record as a number (string fields through start and length),
// and writes the smallest and largest shifted identifier; returns the number of
// distinct shifted identifiers, or a negative spatial result. checkField must exist
// but is not read. A table without records returns 0 and writes nothing.
std::int32_t geoIdStatistics(const char* path, const char* idField, const char* checkField,
                             std::int32_t start, std::int32_t length, std::int32_t shiftDigits,
                             double& minOut, double& maxOut);

}  // namespace tessary

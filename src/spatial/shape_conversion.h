// Standardisation and aggregation: a source shape file with its table becomes a new
// standard shape file (one polygon per identifier, the summary table). The source is
// never changed; target files already created stay when a later step fails.
//
// Where the rules leave a choice: the target files are created with the summary
// fields before the source fields are checked; the diagnostic lines are written once
// both fields have been looked up, before either is checked (a missing field prints
// position -1 and type 5); within a run of equal identifiers the order, and so the
// label, is the library quicksort's, which is not stable. Aggregation of a source
// without shapes returns -1, and a contiguity file that cannot be written leaves the
// result alone.
#pragma once

#include <cstdint>

namespace tessary {

// Merges the shapes of each identifier (numeric, or the number in a string field's
// substring [start, start + length)) by concatenating their rings, in ascending
// identifier order. Writes one diagnostic line per field to standard output:
// "<position> <type> <start> <length><<<<". Returns 0 or a negative spatial result.
std::int32_t standardizeShapes(const char* source, const char* target, const char* idField,
                               const char* labelField, std::int32_t start, std::int32_t length);

// Unites the polygons of each group of a standard shape file whose identifiers
// ascend strictly, a group being the identifiers equal after their last shiftDigits
// digits are dropped; then builds the target's contiguity file. Returns the last
// group's sequence number (the group count minus one) or a negative spatial result.
std::int32_t aggregateShapes(const char* source, const char* target, const char* idField,
                             const char* labelField, std::int32_t shiftDigits);

}  // namespace tessary

// What a cluster aggregate computes per group, and how its groups are formed.
#pragma once

#include <cstdint>

namespace tessary {

enum AggregateOperation : int {
  kAggregateMax = 1,
  kAggregateMin = 2,
  kAggregateMean = 3,
  kAggregateCount = 4,
  kAggregateSum = 5,
  kAggregateError = 6,
  kAggregateFirst = 7,
  kAggregateLevelCount = 8,
  kAggregateIdentifierCount = 9,
  kAggregateRecordCount = 10,
  kAggregateGet = 11,  // CGET: w is the 0-1 condition
  kAggregateSerial = 12,
  kAggregateSerialBy = 13,
};

enum class Grouping : std::uint8_t {
  kPlain,  // the data set's own groups: clusters or identifier runs
  kBy,     // identifier runs with the last parameter's digits dropped
  kOn,     // equal truncated values of another column
};

struct AggregateForm {
  AggregateOperation op = kAggregateMax;
  Grouping grouping = Grouping::kPlain;
  bool weighted = false;    // the WC... forms: the second parameter weighs
  bool takesColumn = true;  // false for the counting forms, which start from zeros
};

}  // namespace tessary

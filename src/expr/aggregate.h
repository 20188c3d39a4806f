// Cluster aggregates: one value per group of records written back to every record of
// the group. Groups are runs of equal truncated record identifiers (data arrays and
// the BY forms), the clusters of a combined data array level, or equal truncated
// values of another column (the ON forms). Columns here hold the evaluated range at
// their front: x[0] belongs to record fromRec.
#pragma once

#include <cstddef>
#include <cstdint>

#include "data/cda.h"
#include "data/data_array.h"
#include "platform/column_memory.h"

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

struct KeyedRecord {
  double key;
  double value;
  double weight;
  std::size_t position;
};

// Column-sized work space, kept for a whole evaluation.
struct AggregateScratch {
  ColumnBuffer<double> keys;
  ColumnBuffer<KeyedRecord> sorted;
  ColumnBuffer<double> values;
  ColumnBuffer<double> weights;
};

// Applies `op` to one group of `count` records in place; `ordinal` is the group's
// 1-based number (for CSERIAL).
void aggregateGroup(int op, double* x, const double* w, std::size_t count, double ordinal);

// Groups records fromRec..toRec of `data` by their identifiers divided by 10^digits and
// truncated.
bool groupAggregate(DataArray& data, int op, double* x, const double* w, int digits,
                    std::int64_t fromRec, std::int64_t toRec, AggregateScratch& scratch);

// Over the level the cursor selects: with digits 0 its clusters (through the data
// reference to the next coarser level), otherwise the identifier grouping of the level.
bool clusterAggregate(CDA& cda, int op, double* x, const double* w, int cursor, int digits,
                      std::int64_t fromRec, std::int64_t toRec, AggregateScratch& scratch);

// Groups the n records by trunc(base / 10^digits), wherever they lie.
bool onAggregate(int op, double* x, const double* w, const double* base, int digits, std::size_t n,
                 AggregateScratch& scratch);

}  // namespace tessary

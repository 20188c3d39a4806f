// Cluster aggregates: one value per group of records written back to every record of
// the group. Groups are runs of equal truncated record identifiers (data arrays and
// the BY forms), the clusters of a combined data array level, or equal truncated
// values of another column (the ON forms). Each operation is written once, as what it
// gathers from a record, what it makes of a group and what it writes back; every
// grouping runs those three steps. Columns hold the evaluated range at their front:
// x[0] belongs to record fromRec.
#pragma once

#include <cstddef>
#include <cstdint>

#include "data/data_set.h"
#include "expr/aggregate_operation.h"
#include "platform/column_memory.h"

namespace tessary {

struct KeyedRecord {
  double key;
  double value;
  double weight;
  std::size_t position;
};

// What one group has gathered; which fields count depends on the operation.
struct GroupTotals {
  std::size_t records = 0;
  double first = 0.0;  // the value of the group's first record
  double value = 0.0;  // extreme or CGET value
  bool found = false;
  double sum = 0.0;
  double total = 0.0;  // weight total or finite count
  double squares = 0.0;
  double result = 0.0;
  double position = 0.0;  // the running CSERIALBY position
};

// Column-sized work space, kept for a whole evaluation.
struct AggregateScratch {
  ColumnBuffer<double> keys;
  ColumnBuffer<std::uint32_t> order;
  ColumnBuffer<std::size_t> groupEnds;
  ColumnBuffer<KeyedRecord> sorted;  // PCTL's values with their weights
  ColumnBuffer<double> base;         // a base column that the result overwrites
};

// Groups records fromRec..toRec of the data set's level by their identifiers divided
// by 10^digits and truncated; at a level of a combined data array with digits 0, by
// its clusters instead (the finer records of each entry of the reference to the next
// coarser level).
void aggregateGroups(DataSet& data, int op, double* x, const double* w, int digits,
                     std::int64_t fromRec, std::int64_t toRec, AggregateScratch& scratch);

// Groups the n records by trunc(base / 10^digits), wherever they lie.
bool onAggregate(int op, double* x, const double* w, const double* base, int digits, std::size_t n,
                 AggregateScratch& scratch);

}  // namespace tessary

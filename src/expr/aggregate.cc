// The groupings that walk records in order: runs of equal truncated identifiers, and
// the clusters of a combined data array level.
#include "expr/aggregate.h"

#include <algorithm>
#include <cmath>

#include "data/record_identifier.h"
#include "expr/aggregate_kernel.h"
#include "frame/failure.h"

namespace tessary {
namespace {

using aggregate_kernel::aggregateContiguous;

bool identifierAggregate(DataArray& data, int op, double* x, const double* w, int digits,
                         std::int64_t fromRec, std::int64_t toRec, AggregateScratch& scratch) {
  if (toRec < fromRec) return true;
  const auto n = static_cast<std::size_t>(toRec - fromRec + 1);
  scratch.keys.resize(n);
  double* keys = scratch.keys.data();
  readRecordIdentifiers(data, std::span<double>(keys, n), fromRec, toRec);
  const double shift = aggregate_kernel::keyShift(digits);
  for (std::size_t i = 0; i < n; ++i)
    keys[i] = aggregate_kernel::truncatedKey(keys[i], shift);
  aggregateContiguous(op, x, w, [&](auto&& group) {
    for (std::size_t start = 0; start < n;) {
      std::size_t end = start + 1;
      while (end < n && keys[end] == keys[start])
        ++end;
      group(start, end - start);
      start = end;
    }
  });
  return true;
}

// Calls group(begin, count) for the clusters of records first..last (0-based) in
// order; records no cluster holds form groups of their own.
template <class Group>
void forEachCluster(CDA& cda, int cursor, std::int64_t first, std::int64_t last, Group&& group) {
  std::int64_t next = first;  // the first record of the range not yet grouped
  auto cluster = [&](std::int64_t begin, std::int64_t end) {  // records [begin, end)
    begin = std::max(begin, first);
    end = std::min(end, last + 1);
    if (begin >= end) return;
    for (; next < begin; ++next)
      group(static_cast<std::size_t>(next - first), 1);
    group(static_cast<std::size_t>(begin - first), static_cast<std::size_t>(end - begin));
    next = end;
  };
  const bool hasCoarser = cursor == 0 || (cursor == 1 && cda.auxPresent());
  if (hasCoarser) {
    const DataRef& ref = cursor == 0 ? cda.clusterRef() : cda.auxRef();
    std::int64_t c = 0;
    for (std::size_t i = 0; i < ref.entryCount() && c <= last; ++i) {
      if (ref.skip(i)) continue;
      const std::int64_t nc = ref.childCount(i);
      if (nc > 0) cluster(c, c + nc);
      c += nc;
    }
  }
  for (; next <= last; ++next)
    group(static_cast<std::size_t>(next - first), 1);
}

}  // namespace

bool groupAggregate(DataArray& data, int op, double* x, const double* w, int digits,
                    std::int64_t fromRec, std::int64_t toRec, AggregateScratch& scratch) {
  return identifierAggregate(data, op, x, w, digits, fromRec, toRec, scratch);
}

bool clusterAggregate(CDA& cda, int op, double* x, const double* w, int cursor, int digits,
                      std::int64_t fromRec, std::int64_t toRec, AggregateScratch& scratch) {
  if (cursor < 0 || cursor > 2 || (cursor == 2 && !cda.auxPresent()))
    raiseFailure("Invalid cursor.\n");
  if (digits > 0)
    return identifierAggregate(cda.level(cursor), op, x, w, digits, fromRec, toRec, scratch);
  if (toRec < fromRec) return true;
  aggregateContiguous(
      op, x, w, [&](auto&& group) { forEachCluster(cda, cursor, fromRec - 1, toRec - 1, group); });
  return true;
}

}  // namespace tessary

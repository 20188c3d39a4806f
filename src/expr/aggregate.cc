// The groupings that walk records in order: runs of equal truncated identifiers, and
// the clusters of a combined data array level.
#include "expr/aggregate.h"

#include <algorithm>
#include <cmath>

#include "expr/aggregate_kernel.h"
#include "frame/failure.h"

namespace tessary {
namespace {

using aggregate_kernel::aggregateContiguous;

void identifierAggregate(DataSet& data, int op, double* x, const double* w, int digits,
                         std::int64_t fromRec, std::int64_t toRec, AggregateScratch& scratch) {
  const auto n = static_cast<std::size_t>(toRec - fromRec + 1);
  scratch.keys.resize(n);
  double* keys = scratch.keys.data();
  data.readIdentifiers(std::span<double>(keys, n), fromRec, toRec);
  const double shift = aggregate_kernel::keyShift(digits);
  for (std::size_t i = 0; i < n; ++i)
    keys[i] = aggregate_kernel::truncatedKey(keys[i], shift);
  aggregateContiguous(op, x, w, scratch.groupEnds, [&](auto&& group) {
    for (std::size_t start = 0; start < n;) {
      std::size_t end = start + 1;
      while (end < n && keys[end] == keys[start])
        ++end;
      group(start, end - start);
      start = end;
    }
  });
}

// Calls group(begin, count) for the clusters of records first..last (0-based) in
// order; records no cluster holds (all of them without a coarser level) form groups of
// their own.
template <class Group>
void forEachCluster(const DataRef* ref, std::int64_t first, std::int64_t last, Group&& group) {
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
  std::int64_t c = 0;
  for (std::size_t i = 0; ref != nullptr && i < ref->entryCount() && c <= last; ++i) {
    if (ref->skip(i)) continue;
    const std::int64_t nc = ref->childCount(i);
    if (nc > 0) cluster(c, c + nc);
    c += nc;
  }
  for (; next <= last; ++next)
    group(static_cast<std::size_t>(next - first), 1);
}

}  // namespace

void aggregateGroups(DataSet& data, int op, double* x, const double* w, int digits,
                     std::int64_t fromRec, std::int64_t toRec, AggregateScratch& scratch) {
  if (toRec < fromRec) return;
  if (!data.combined() || digits > 0)
    return identifierAggregate(data, op, x, w, digits, fromRec, toRec, scratch);
  const DataRef* ref = data.coarserReference(data.level());
  aggregateContiguous(op, x, w, scratch.groupEnds,
                      [&](auto&& group) { forEachCluster(ref, fromRec - 1, toRec - 1, group); });
}

}  // namespace tessary

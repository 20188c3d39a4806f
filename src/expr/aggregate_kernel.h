// The aggregate operations, each written once as three steps: what a record adds to
// its group's totals (gather), the group's value (finish) and what each record of the
// group receives (writeBack). The groupings of aggregate.cc and aggregate_on.cc only
// decide which records form a group. Operations are template arguments so that each
// grouping loop is compiled per operation, without a switch per record.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "expr/aggregate.h"
#include "frame/missing.h"
#include "platform/parallel.h"

namespace tessary::aggregate_kernel {

// Group keys: a value divided by 10^digits and truncated; MISSING stays MISSING.
inline double keyShift(int digits) {
  return std::pow(10.0, static_cast<double>(digits));
}
inline double truncatedKey(double value, double shift) {
  if (!std::isfinite(value)) return MISSING;
  return std::trunc(shift == 1.0 ? value : value / shift);
}

// The weighted forms read w as weights; CGET reads it as its condition.
template <int Op, bool Weighted>
inline constexpr bool kReadsW = Weighted || Op == kAggregateGet;

template <int Op, bool Weighted>
inline double weightAt(const double* w, std::size_t i) {
  if constexpr (kReadsW<Op, Weighted>)
    return w[i];
  else
    return 0.0;
}

template <int Op, bool Weighted>
inline void gather(GroupTotals& t, double v, double w) {
  if constexpr (Op == kAggregateGet) {
    if (!t.found && w == 1.0) {
      t.value = v;
      t.found = true;
    }
  } else if constexpr (Op == kAggregateMax || Op == kAggregateMin) {
    if (!std::isfinite(v)) return;
    if (!t.found || (Op == kAggregateMax ? v > t.value : v < t.value)) t.value = v;
    t.found = true;
  } else if constexpr (Op == kAggregateMean || Op == kAggregateSum || Op == kAggregateError) {
    if (!std::isfinite(v)) return;
    if constexpr (Weighted) {
      if (!std::isfinite(w)) return;
      t.sum += w * v;
      t.total += w;
    } else {
      t.sum += v;
      t.total += 1.0;
      if constexpr (Op == kAggregateError) t.squares += v * v;
    }
  }
  // The counts, the first value and the serial numbers need nothing from a record.
}

// `ordinal` is the group's 1-based number (CSERIAL).
template <int Op>
inline double finish(const GroupTotals& t, double ordinal) {
  const double m = static_cast<double>(t.records);
  if constexpr (Op == kAggregateMax || Op == kAggregateMin || Op == kAggregateGet)
    return t.found ? t.value : MISSING;
  else if constexpr (Op == kAggregateMean)
    return t.total != 0.0 ? t.sum / t.total : MISSING;
  else if constexpr (Op == kAggregateCount)
    return m;
  else if constexpr (Op == kAggregateSum)
    return t.sum;
  else if constexpr (Op == kAggregateError)
    return ((t.squares - t.sum) / m) / (m - 1.0);  // S1 is the plain sum, as defined
  else if constexpr (Op == kAggregateFirst)
    return t.first;
  else if constexpr (Op == kAggregateSerial)
    return ordinal;
  else
    return 0.0;
}

template <int Op>
inline void writeBack(double& x, GroupTotals& t) {
  if constexpr (Op == kAggregateLevelCount || Op == kAggregateIdentifierCount ||
                Op == kAggregateRecordCount) {
    // These leave the operand as it is.
  } else if constexpr (Op == kAggregateError) {
    if (t.records > 1) x = t.result;  // a group of one record keeps its value
  } else if constexpr (Op == kAggregateSerialBy) {
    x = std::isfinite(x) ? ++t.position : MISSING;
  } else {
    x = t.result;
  }
}

// Adds the totals `part` gathered from a later stretch of records to `into`. Sums are
// gathered per block of kRecordsPerBlock records of the range and added in block order,
// whichever grouping runs: the groupings and any number of threads then give the same
// sums.
template <int Op>
inline void merge(GroupTotals& into, const GroupTotals& part) {
  if (part.records == 0) return;
  if (into.records == 0) into.first = part.first;
  into.records += part.records;
  if constexpr (Op == kAggregateGet) {
    if (!into.found && part.found) into.value = part.value;
  } else if constexpr (Op == kAggregateMax || Op == kAggregateMin) {
    if (part.found &&
        (!into.found || (Op == kAggregateMax ? part.value > into.value : part.value < into.value)))
      into.value = part.value;
  }
  into.found |= part.found;
  into.sum += part.sum;
  into.total += part.total;
  into.squares += part.squares;
}

// One group of `count` records at positions index(0) .. index(count - 1), in record
// order.
template <int Op, bool Weighted, class Index>
inline void aggregateGroup(double* x, const double* w, std::size_t count, double ordinal,
                           Index index) {
  if (count == 0) return;
  GroupTotals t;
  GroupTotals part;
  std::size_t blockEnd = (index(0) / kRecordsPerBlock + 1) * kRecordsPerBlock;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = index(k);
    if (i >= blockEnd) {
      merge<Op>(t, part);
      part = GroupTotals{};
      blockEnd = (i / kRecordsPerBlock + 1) * kRecordsPerBlock;
    }
    if (part.records++ == 0) part.first = x[i];
    gather<Op, Weighted>(part, x[i], weightAt<Op, Weighted>(w, i));
  }
  merge<Op>(t, part);
  t.result = finish<Op>(t, ordinal);
  for (std::size_t k = 0; k < count; ++k)
    writeBack<Op>(x[index(k)], t);
}

// Calls visit.template operator()<Op, Weighted>() for `op`; only the mean and the sum
// are weighted, and only when weights are given.
template <class Visit>
void dispatch(int op, bool weightsGiven, Visit&& visit) {
  const bool weighted = weightsGiven && (op == kAggregateMean || op == kAggregateSum);
  switch (op) {
    case kAggregateMax:
      return visit.template operator()<kAggregateMax, false>();
    case kAggregateMin:
      return visit.template operator()<kAggregateMin, false>();
    case kAggregateMean:
      if (weighted) return visit.template operator()<kAggregateMean, true>();
      return visit.template operator()<kAggregateMean, false>();
    case kAggregateCount:
      return visit.template operator()<kAggregateCount, false>();
    case kAggregateSum:
      if (weighted) return visit.template operator()<kAggregateSum, true>();
      return visit.template operator()<kAggregateSum, false>();
    case kAggregateError:
      return visit.template operator()<kAggregateError, false>();
    case kAggregateFirst:
      return visit.template operator()<kAggregateFirst, false>();
    case kAggregateGet:
      return visit.template operator()<kAggregateGet, false>();
    case kAggregateSerial:
      return visit.template operator()<kAggregateSerial, false>();
    case kAggregateSerialBy:
      return visit.template operator()<kAggregateSerialBy, false>();
    default:  // the level, identifier and record counts
      return visit.template operator()<kAggregateLevelCount, false>();
  }
}

// Groups a block of the contiguous groupings holds.
inline constexpr std::size_t kGroupsPerBlock = 4096;

// Runs the operation over contiguous groups covering the records in order:
// forEachGroup(group) calls group(begin, count) once per group. The groups' ends are
// listed in `groupEnds` first, then the groups run in parallel blocks of groups; each
// group runs whole on one thread, so the result is the same for any thread count.
template <class ForEachGroup>
void aggregateContiguous(int op, double* x, const double* w, ColumnBuffer<std::size_t>& groupEnds,
                         ForEachGroup&& forEachGroup) {
  std::size_t groups = 0;
  forEachGroup([&](std::size_t begin, std::size_t count) {
    if (groups == groupEnds.size()) groupEnds.resize(std::max<std::size_t>(2 * groups, 4096));
    groupEnds[groups++] = begin + count;
  });
  const std::size_t* ends = groupEnds.data();
  dispatch(op, w != nullptr, [&]<int Op, bool Weighted>() {
    forEachBlock(groups, kGroupsPerBlock, [&](std::size_t, std::size_t first, std::size_t last) {
      for (std::size_t g = first; g < last; ++g) {
        const std::size_t begin = g == 0 ? 0 : ends[g - 1];
        aggregateGroup<Op, Weighted>(x, w, ends[g] - begin, static_cast<double>(g + 1),
                                     [begin](std::size_t k) { return begin + k; });
      }
    });
  });
}

}  // namespace tessary::aggregate_kernel

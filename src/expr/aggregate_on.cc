// The ON forms: groups of records with equal truncated values of another column,
// wherever the records lie. Few distinct keys gather per key in one pass and write back
// in a second; keys far apart are sorted (record positions by key, equal keys in
// record order) and each group is walked through the order. Both keep each group's
// records in record order and add sums per block of records in block order (aggregate_kernel.h), so
// the sums come out the same either way, and for any number of threads.
#include <algorithm>
#include <cmath>
#include <vector>

#include "expr/aggregate.h"
#include "expr/aggregate_kernel.h"
#include "numeric/saturating_cast.h"
#include "platform/parallel.h"

namespace tessary {
namespace {

using namespace aggregate_kernel;

constexpr std::size_t kMostDirectBuckets = 1 << 16;

struct KeySpan {
  double lowest = INFINITY;
  double highest = -INFINITY;
  // Distinct key values the span can hold (1 when there is no finite key).
  double width() const { return lowest <= highest ? highest - lowest + 1 : 1; }
};

KeySpan spanOf(const double* base, double shift, std::size_t n) {
  return reduceBlocks(
      n, kRecordsPerBlock, KeySpan{},
      [&](std::size_t begin, std::size_t end) {
        KeySpan span;
        for (std::size_t i = begin; i < end; ++i) {
          const double key = truncatedKey(base[i], shift);
          if (!std::isfinite(key)) continue;
          span.lowest = std::min(span.lowest, key);
          span.highest = std::max(span.highest, key);
        }
        return span;
      },
      [](KeySpan whole, const KeySpan& part) {
        whole.lowest = std::min(whole.lowest, part.lowest);
        whole.highest = std::max(whole.highest, part.highest);
        return whole;
      });
}

// The bucket of a key within a span narrower than 2^31: one per key value and a last
// one (`missingBucket`) for missing keys.
inline std::size_t bucketOf(double key, double lowest, std::size_t missingBucket) {
  return std::isfinite(key) ? static_cast<std::size_t>(saturatingInt32(key - lowest))
                            : missingBucket;
}

// Keys are formed again in each pass: cheaper than a key column. Each block of
// records gathers into totals of its own, added to the whole in block order (see
// merge); the records then receive their group's value in parallel blocks too, but for
// CSERIALBY, whose positions run through the records in order.
template <int Op, bool Weighted>
void aggregateByBuckets(double* x, const double* w, const double* base, double shift, std::size_t n,
                        double lowest, std::size_t buckets) {
  auto bucketAt = [&](std::size_t i) {
    return bucketOf(truncatedKey(base[i], shift), lowest, buckets - 1);
  };
  using Totals = std::vector<GroupTotals>;
  Totals totals = reduceBlocks(
      n, kRecordsPerBlock, Totals(buckets),
      [&](std::size_t begin, std::size_t end) {
        Totals part(buckets);
        for (std::size_t i = begin; i < end; ++i) {
          GroupTotals& t = part[bucketAt(i)];
          if (t.records++ == 0) t.first = x[i];
          gather<Op, Weighted>(t, x[i], weightAt<Op, Weighted>(w, i));
        }
        return part;
      },
      [](Totals whole, const Totals& part) {
        for (std::size_t b = 0; b < whole.size(); ++b)
          merge<Op>(whole[b], part[b]);
        return whole;
      });
  double ordinal = 0.0;
  for (std::size_t b = 0; b < buckets; ++b)
    if (totals[b].records > 0) totals[b].result = finish<Op>(totals[b], ++ordinal);
  if constexpr (Op == kAggregateSerialBy) {
    for (std::size_t i = 0; i < n; ++i)
      writeBack<Op>(x[i], totals[bucketAt(i)]);
  } else {
    forEachBlock(n, kRecordsPerBlock, [&](std::size_t, std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i)
        writeBack<Op>(x[i], totals[bucketAt(i)]);
    });
  }
}

// Record positions in order of their keys, equal keys in record order, missing keys
// last. Keys spanning a range no wider than the column sort by counting; others by
// comparison. Returns the number of groups written to scratch.groupEnds (the end of
// each group in the order).
std::size_t orderByKey(const double* keys, std::size_t n, const KeySpan& span,
                       AggregateScratch& scratch) {
  scratch.order.resize(n);
  std::uint32_t* order = scratch.order.data();
  std::size_t groups = 0;
  if (span.width() <= static_cast<double>(std::max<std::size_t>(n, 1024))) {
    const auto buckets = static_cast<std::size_t>(saturatingInt32(span.width())) + 1;
    scratch.groupEnds.resize(buckets + 1);
    std::size_t* starts = scratch.groupEnds.data();
    std::fill_n(starts, buckets + 1, std::size_t{0});
    for (std::size_t i = 0; i < n; ++i)
      ++starts[bucketOf(keys[i], span.lowest, buckets - 1) + 1];
    for (std::size_t b = 1; b <= buckets; ++b)
      starts[b] += starts[b - 1];
    for (std::size_t i = 0; i < n; ++i)
      order[starts[bucketOf(keys[i], span.lowest, buckets - 1)]++] = static_cast<std::uint32_t>(i);
    // Each start has moved to its bucket's end; empty buckets drop out.
    std::size_t previous = 0;
    for (std::size_t b = 0; b < buckets; ++b)
      if (starts[b] != previous) starts[groups++] = previous = starts[b];
    return groups;
  }
  for (std::size_t i = 0; i < n; ++i)
    order[i] = static_cast<std::uint32_t>(i);
  auto keyOf = [keys](std::uint32_t i) { return std::isfinite(keys[i]) ? keys[i] : INFINITY; };
  std::stable_sort(order, order + n,
                   [&](std::uint32_t a, std::uint32_t b) { return keyOf(a) < keyOf(b); });
  scratch.groupEnds.resize(n);
  for (std::size_t k = 1; k <= n; ++k)
    if (k == n || keyOf(order[k]) != keyOf(order[k - 1])) scratch.groupEnds[groups++] = k;
  return groups;
}

template <int Op, bool Weighted>
void aggregateInOrder(double* x, const double* w, std::size_t groups,
                      const AggregateScratch& scratch) {
  const std::uint32_t* order = scratch.order.data();
  std::size_t begin = 0;
  for (std::size_t g = 0; g < groups; ++g) {
    const std::size_t end = scratch.groupEnds[g];
    aggregateGroup<Op, Weighted>(x, w, end - begin, static_cast<double>(g + 1),
                                 [=](std::size_t k) { return std::size_t{order[begin + k]}; });
    begin = end;
  }
}

}  // namespace

bool onAggregate(int op, double* x, const double* w, const double* base, int digits, std::size_t n,
                 AggregateScratch& scratch) {
  if (n == 0 || digits < 0) return true;
  const double shift = keyShift(digits);
  const KeySpan span = spanOf(base, shift, n);
  if (span.width() < static_cast<double>(kMostDirectBuckets)) {
    const auto buckets = static_cast<std::size_t>(saturatingInt32(span.width())) + 1;
    dispatch(op, w != nullptr, [&]<int Op, bool Weighted>() {
      aggregateByBuckets<Op, Weighted>(x, w, base, shift, n, span.lowest, buckets);
    });
    return true;
  }
  scratch.keys.resize(n);
  double* keys = scratch.keys.data();
  for (std::size_t i = 0; i < n; ++i)
    keys[i] = truncatedKey(base[i], shift);
  const std::size_t groups = orderByKey(keys, n, span, scratch);
  dispatch(op, w != nullptr,
           [&]<int Op, bool Weighted>() { aggregateInOrder<Op, Weighted>(x, w, groups, scratch); });
  return true;
}

}  // namespace tessary

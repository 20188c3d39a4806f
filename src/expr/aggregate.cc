#include "expr/aggregate.h"

#include <algorithm>
#include <cmath>

#include "data/record_identifier.h"
#include "frame/failure.h"
#include "frame/missing.h"

namespace tessary {
namespace {

void fill(double* x, std::size_t count, double value) {
  std::fill_n(x, count, value);
}

double groupMean(const double* x, const double* w, std::size_t count) {
  double sum = 0.0;
  double total = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(x[i])) continue;
    if (w == nullptr) {
      sum += x[i];
      total += 1.0;
    } else if (std::isfinite(w[i])) {
      sum += w[i] * x[i];
      total += w[i];
    }
  }
  return total != 0.0 ? sum / total : MISSING;
}

double groupSum(const double* x, const double* w, std::size_t count) {
  double sum = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(x[i])) continue;
    if (w == nullptr)
      sum += x[i];
    else if (std::isfinite(w[i]))
      sum += w[i] * x[i];
  }
  return sum;
}

double groupExtreme(const double* x, std::size_t count, bool largest) {
  double best = MISSING;
  bool found = false;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(x[i])) continue;
    if (!found || (largest ? x[i] > best : x[i] < best)) best = x[i];
    found = true;
  }
  return best;
}

// 10^digits as a divisor of identifiers.
double shiftOf(int digits) {
  return std::pow(10.0, static_cast<double>(digits));
}

double truncatedKey(double value, double shift) {
  if (!std::isfinite(value)) return MISSING;
  return std::trunc(shift == 1.0 ? value : value / shift);
}

// Runs of equal keys over the n records of `keys`.
void aggregateRuns(int op, double* x, const double* w, const double* keys, std::size_t n) {
  double ordinal = 0.0;
  std::size_t start = 0;
  while (start < n) {
    std::size_t end = start + 1;
    while (end < n && keys[end] == keys[start])
      ++end;
    aggregateGroup(op, x + start, w != nullptr ? w + start : nullptr, end - start, ++ordinal);
    start = end;
  }
}

}  // namespace

void aggregateGroup(int op, double* x, const double* w, std::size_t count, double ordinal) {
  if (count == 0) return;
  switch (op) {
    case kAggregateMax:
      fill(x, count, groupExtreme(x, count, true));
      break;
    case kAggregateMin:
      fill(x, count, groupExtreme(x, count, false));
      break;
    case kAggregateMean:
      fill(x, count, groupMean(x, w, count));
      break;
    case kAggregateCount:
      fill(x, count, static_cast<double>(count));
      break;
    case kAggregateSum:
      fill(x, count, groupSum(x, w, count));
      break;
    case kAggregateError: {
      if (count == 1) break;
      double plain = 0.0;
      double squares = 0.0;
      for (std::size_t i = 0; i < count; ++i) {
        if (!std::isfinite(x[i])) continue;
        plain += x[i];
        squares += x[i] * x[i];
      }
      const double m = static_cast<double>(count);
      fill(x, count, ((squares - plain) / m) / (m - 1.0));
      break;
    }
    case kAggregateFirst:
      fill(x, count, x[0]);
      break;
    case kAggregateGet: {
      double value = MISSING;
      for (std::size_t i = 0; i < count; ++i) {
        if (w[i] == 1.0) {
          value = x[i];
          break;
        }
      }
      fill(x, count, value);
      break;
    }
    case kAggregateSerial:
      fill(x, count, ordinal);
      break;
    case kAggregateSerialBy: {
      double position = 0.0;
      for (std::size_t i = 0; i < count; ++i)
        x[i] = std::isfinite(x[i]) ? ++position : MISSING;
      break;
    }
    default:  // the level, identifier and record counts leave the operand as it is
      break;
  }
}

namespace {

bool identifierAggregate(DataArray& data, int op, double* x, const double* w, int digits,
                         std::int64_t fromRec, std::int64_t toRec, AggregateScratch& scratch) {
  if (toRec < fromRec) return true;
  const auto n = static_cast<std::size_t>(toRec - fromRec + 1);
  scratch.keys.resize(n);
  readRecordIdentifiers(data, std::span<double>(scratch.keys.data(), n), fromRec, toRec);
  const double shift = shiftOf(digits);
  for (double& key : scratch.keys)
    key = truncatedKey(key, shift);
  aggregateRuns(op, x, w, scratch.keys.data(), n);
  return true;
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
  const std::int64_t first = fromRec - 1;  // 0-based records first..last
  const std::int64_t last = toRec - 1;
  double ordinal = 0.0;
  std::int64_t next = first;  // the first record of the range not yet grouped
  auto group = [&](std::int64_t begin, std::int64_t end) {  // records [begin, end)
    begin = std::max(begin, first);
    end = std::min(end, last + 1);
    if (begin >= end) return;
    // Records no cluster holds form groups of their own.
    for (; next < begin; ++next)
      aggregateGroup(op, x + (next - first), w != nullptr ? w + (next - first) : nullptr, 1,
                     ++ordinal);
    const std::size_t offset = static_cast<std::size_t>(begin - first);
    aggregateGroup(op, x + offset, w != nullptr ? w + offset : nullptr,
                   static_cast<std::size_t>(end - begin), ++ordinal);
    next = end;
  };
  const bool hasCoarser = cursor == 0 || (cursor == 1 && cda.auxPresent());
  if (hasCoarser) {
    const DataRef& ref = cursor == 0 ? cda.clusterRef() : cda.auxRef();
    std::int64_t c = 0;
    for (std::size_t i = 0; i < ref.entryCount() && c <= last; ++i) {
      if (ref.skip(i)) continue;
      const std::int64_t nc = ref.childCount(i);
      if (nc > 0) group(c, c + nc);
      c += nc;
    }
  }
  for (; next <= last; ++next)
    aggregateGroup(op, x + (next - first), w != nullptr ? w + (next - first) : nullptr, 1,
                   ++ordinal);
  return true;
}

namespace {

// Record positions in order of their keys, equal keys in record order. Keys spanning
// a range no wider than the column sort by counting, and the buckets are the groups;
// other keys sort by comparison. Returns the number of groups written to
// scratch.groupEnds (the end of each group in the order).
std::size_t orderByKey(const double* keys, std::size_t n, AggregateScratch& scratch) {
  scratch.order.resize(n);
  std::uint32_t* order = scratch.order.data();
  double lowest = INFINITY;
  double highest = -INFINITY;
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(keys[i])) continue;
    lowest = std::min(lowest, keys[i]);
    highest = std::max(highest, keys[i]);
  }
  const double width = lowest <= highest ? highest - lowest + 1 : 1;
  if (width <= static_cast<double>(std::max<std::size_t>(n, 1024))) {
    // One bucket per key value and a last one for missing keys.
    const auto buckets = static_cast<std::size_t>(width) + 1;
    scratch.groupEnds.resize(buckets + 1);
    std::size_t* starts = scratch.groupEnds.data();
    std::fill_n(starts, buckets + 1, std::size_t{0});
    auto bucketOf = [&](double key) {
      return std::isfinite(key) ? static_cast<std::size_t>(key - lowest) : buckets - 1;
    };
    for (std::size_t i = 0; i < n; ++i)
      ++starts[bucketOf(keys[i]) + 1];
    for (std::size_t b = 1; b <= buckets; ++b)
      starts[b] += starts[b - 1];
    for (std::size_t i = 0; i < n; ++i)
      order[starts[bucketOf(keys[i])]++] = static_cast<std::uint32_t>(i);
    // Each start has moved to its bucket's end; empty buckets drop out.
    std::size_t groups = 0;
    std::size_t previous = 0;
    for (std::size_t b = 0; b < buckets; ++b) {
      if (starts[b] == previous) continue;
      starts[groups++] = previous = starts[b];
    }
    return groups;
  }
  for (std::size_t i = 0; i < n; ++i)
    order[i] = static_cast<std::uint32_t>(i);
  auto keyOf = [keys](std::uint32_t i) { return std::isfinite(keys[i]) ? keys[i] : INFINITY; };
  std::stable_sort(order, order + n,
                   [&](std::uint32_t a, std::uint32_t b) { return keyOf(a) < keyOf(b); });
  scratch.groupEnds.resize(n);
  std::size_t groups = 0;
  for (std::size_t k = 1; k <= n; ++k)
    if (k == n || keyOf(order[k]) != keyOf(order[k - 1])) scratch.groupEnds[groups++] = k;
  return groups;
}

}  // namespace

namespace {

// Few distinct keys: one pass gathers each key's totals and a second writes them back,
// with the same sums in the same record order as the sorted walk, without moving the
// records.
constexpr std::size_t kMostDirectBuckets = 1 << 16;

void aggregateByBuckets(int op, double* x, const double* w, const double* base, double shift,
                        std::size_t n, double lowest, std::size_t buckets,
                        AggregateScratch& scratch) {
  scratch.totals.resize(buckets);
  BucketTotal* totals = scratch.totals.data();
  std::fill_n(totals, buckets, BucketTotal{});
  // Keys are formed again in each pass: cheaper than a fresh key column.
  auto bucketOf = [&](double value) {
    const double key = truncatedKey(value, shift);
    return std::isfinite(key) ? static_cast<std::size_t>(key - lowest) : buckets - 1;
  };
  const bool weighted = w != nullptr && (op == kAggregateMean || op == kAggregateSum);
  for (std::size_t i = 0; i < n; ++i) {
    BucketTotal& t = totals[bucketOf(base[i])];
    const double v = x[i];
    if (t.records++ == 0) t.first = v;
    if (op == kAggregateGet) {
      if (!t.found && w[i] == 1.0) {
        t.value = v;
        t.found = true;
      }
      continue;
    }
    if (!std::isfinite(v)) continue;
    if (op == kAggregateMax || op == kAggregateMin) {
      if (!t.found || (op == kAggregateMax ? v > t.value : v < t.value)) t.value = v;
      t.found = true;
    } else if (weighted) {
      if (!std::isfinite(w[i])) continue;
      t.sum += w[i] * v;
      t.total += w[i];
    } else {
      t.sum += v;
      t.total += 1.0;
      t.squares += v * v;
    }
  }
  double ordinal = 0.0;
  for (std::size_t b = 0; b < buckets; ++b) {
    BucketTotal& t = totals[b];
    if (t.records == 0) continue;
    const double m = static_cast<double>(t.records);
    switch (op) {
      case kAggregateMax:
      case kAggregateMin:
      case kAggregateGet:
        t.result = t.found ? t.value : MISSING;
        break;
      case kAggregateMean:
        t.result = t.total != 0.0 ? t.sum / t.total : MISSING;
        break;
      case kAggregateCount:
        t.result = m;
        break;
      case kAggregateSum:
        t.result = t.sum;
        break;
      case kAggregateError:
        t.result = ((t.squares - t.sum) / m) / (m - 1.0);
        break;
      case kAggregateFirst:
        t.result = t.first;
        break;
      case kAggregateSerial:
        t.result = ++ordinal;
        break;
      default:
        break;
    }
    t.value = 0.0;  // from here on: the running position for CSERIALBY
  }
  for (std::size_t i = 0; i < n; ++i) {
    BucketTotal& t = totals[bucketOf(base[i])];
    switch (op) {
      case kAggregateLevelCount:
      case kAggregateIdentifierCount:
      case kAggregateRecordCount:
        break;
      case kAggregateError:
        if (t.records > 1) x[i] = t.result;
        break;
      case kAggregateSerialBy:
        x[i] = std::isfinite(x[i]) ? ++t.value : MISSING;
        break;
      default:
        x[i] = t.result;
        break;
    }
  }
}

}  // namespace

bool onAggregate(int op, double* x, const double* w, const double* base, int digits, std::size_t n,
                 AggregateScratch& scratch) {
  if (n == 0 || digits < 0) return true;
  const double shift = shiftOf(digits);
  double lowest = INFINITY;
  double highest = -INFINITY;
  for (std::size_t i = 0; i < n; ++i) {
    const double key = truncatedKey(base[i], shift);
    if (!std::isfinite(key)) continue;
    lowest = std::min(lowest, key);
    highest = std::max(highest, key);
  }
  const double width = lowest <= highest ? highest - lowest + 1 : 1;
  if (width < static_cast<double>(kMostDirectBuckets)) {
    aggregateByBuckets(op, x, w, base, shift, n, lowest, static_cast<std::size_t>(width) + 1,
                       scratch);
    return true;
  }
  scratch.keys.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    scratch.keys[i] = truncatedKey(base[i], shift);
  const std::size_t groups = orderByKey(scratch.keys.data(), n, scratch);
  const std::uint32_t* order = scratch.order.data();
  // The values (and weights) in key order, so each group lies in one block.
  scratch.values.resize(n);
  for (std::size_t k = 0; k < n; ++k)
    scratch.values[k] = x[order[k]];
  if (w != nullptr) {
    scratch.weights.resize(n);
    for (std::size_t k = 0; k < n; ++k)
      scratch.weights[k] = w[order[k]];
  }
  std::size_t begin = 0;
  for (std::size_t g = 0; g < groups; ++g) {
    const std::size_t end = scratch.groupEnds[g];
    aggregateGroup(op, scratch.values.data() + begin,
                   w != nullptr ? scratch.weights.data() + begin : nullptr, end - begin,
                   static_cast<double>(g + 1));
    begin = end;
  }
  for (std::size_t k = 0; k < n; ++k)
    x[order[k]] = scratch.values[k];
  return true;
}

}  // namespace tessary

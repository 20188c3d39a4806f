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
  return std::trunc(value / shift);
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

bool onAggregate(int op, double* x, const double* w, const double* base, int digits, std::size_t n,
                 AggregateScratch& scratch) {
  if (n == 0 || digits < 0) return true;
  const double shift = shiftOf(digits);
  scratch.sorted.resize(n);
  KeyedRecord* records = scratch.sorted.data();
  for (std::size_t i = 0; i < n; ++i)
    records[i] = KeyedRecord{truncatedKey(base[i], shift), x[i], w != nullptr ? w[i] : 0.0, i};
  // Equal keys keep record order, so CFIRST and CSERIALBY follow the records.
  std::sort(records, records + n, [](const KeyedRecord& a, const KeyedRecord& b) {
    return a.key != b.key ? a.key < b.key : a.position < b.position;
  });
  scratch.values.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    scratch.values[i] = records[i].value;
  if (w != nullptr) {
    scratch.weights.resize(n);
    for (std::size_t i = 0; i < n; ++i)
      scratch.weights[i] = records[i].weight;
  }
  scratch.keys.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    scratch.keys[i] = records[i].key;
  aggregateRuns(op, scratch.values.data(), w != nullptr ? scratch.weights.data() : nullptr,
                scratch.keys.data(), n);
  for (std::size_t i = 0; i < n; ++i)
    x[records[i].position] = scratch.values[i];
  return true;
}

}  // namespace tessary

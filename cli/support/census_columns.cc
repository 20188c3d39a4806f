#include "support/census_columns.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "data/cda.h"
#include "data/encodings.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/file.h"
#include "platform/text.h"
#include "regression/regressor.h"

namespace tessary::cli {
namespace {

// Households read at a time while loading: a multiple of 8, so that every chunk of a
// packed column starts on a byte.
constexpr std::int64_t kLoadChunk = std::int64_t{1} << 20;

template <class Chunk>
void forEachLoadChunk(std::int64_t records, Chunk&& chunk) {
  for (std::int64_t from = 1; from <= records; from += kLoadChunk)
    chunk(from, std::min(records, from + kLoadChunk - 1));
}

}  // namespace

CensusColumns::CensusColumns(const std::string& daaPath, const std::vector<std::string>& variables,
                             const std::string& clusterId)
    : path_(daaPath), clusterIdName_(upperCase(clusterId)) {
  if (!fileExists(daaPath)) raiseFailure(daaPath + ": no such census (.daA)");
  try {
    CDA census(daaPath);
    census.load();
    households_ = census.level(0).recordCount;
    if (households_ == 0) raiseFailure("the census has no households");
    readClusters(census);
    for (const std::string& name : variables)
      readVariable(census, upperCase(name));
  } catch (const Failure& failure) {
    raiseFailure(daaPath + ": " + failure.text());
  }
}

void CensusColumns::readClusters(CDA& census) {
  const std::uint32_t clusters = census.level(1).recordCount;
  if (clusters == 0) raiseFailure("the census has no cluster records");
  if (clusterIdName_.empty()) clusterIdName_ = textOf(census.level(1).headerTextA);
  if (clusterIdName_.empty())
    raiseFailure(
        "the cluster level's header names no identifier variable: name one with --cluster");
  census.cursor = 1;
  clusterIds_.resize(clusters);
  census.getValue(clusterIdName_, std::span<double>(clusterIds_), 1, clusters);

  // The cluster record of each household: the record numbers spread like any cluster
  // variable.
  std::vector<double> recordNumbers(clusters);
  std::iota(recordNumbers.begin(), recordNumbers.end(), 0.0);
  clusterOf_.resize(static_cast<std::size_t>(households_));
  ColumnBuffer<double> chunk(static_cast<std::size_t>(std::min(households_, kLoadChunk)));
  forEachLoadChunk(households_, [&](std::int64_t from, std::int64_t to) {
    const std::span<double> values(chunk.data(), static_cast<std::size_t>(to - from + 1));
    std::fill(values.begin(), values.end(), MISSING);
    expandThroughRef(census.clusterRef(), recordNumbers, values, from, to);
    for (std::size_t i = 0; i < values.size(); ++i)
      clusterOf_[from - 1 + i] =
          values[i] == MISSING ? kNoCluster : static_cast<std::uint32_t>(values[i]);
  });
}

// A household variable is kept in its stored encoding, narrowed back from the values
// read; any other as one value per cluster record.
void CensusColumns::readVariable(CDA& census, const std::string& name) {
  if (columns_.count(name) != 0) return;
  Column& column = columns_[name];
  census.cursor = 0;
  double first = 0.0;
  census.getValue(name, std::span<double>(&first, 1), 1, 1);
  column.clusterLevel = census.foundLevel != 0;
  if (column.clusterLevel) {
    census.cursor = 1;
    column.clusterValues.resize(clusterIds_.size());
    census.getValue(name, std::span<double>(column.clusterValues), 1,
                    static_cast<std::int64_t>(clusterIds_.size()));
    return;
  }
  const char stored = census.level(0).find(name)->encoding;
  column.encoding = isKnownEncoding(stored) ? stored : 'D';
  column.bytes.resize(regionBytes(column.encoding, static_cast<std::uint64_t>(households_)));
  ColumnBuffer<double> chunk(static_cast<std::size_t>(std::min(households_, kLoadChunk)));
  forEachLoadChunk(households_, [&](std::int64_t from, std::int64_t to) {
    const auto count = static_cast<std::size_t>(to - from + 1);
    census.getValue(name, std::span<double>(chunk.data(), count), from, to);
    if (column.encoding != 'D') narrowInPlace(column.encoding, chunk.data(), count);
    std::memcpy(
        column.bytes.data() + regionBytes(column.encoding, static_cast<std::uint64_t>(from - 1)),
        chunk.data(), regionBytes(column.encoding, count));
  });
}

bool CensusColumns::holds(const std::string& variable) const {
  return columns_.count(upperCase(variable)) != 0;
}

void CensusColumns::read(const std::string& variable, std::int64_t fromRec, std::int64_t toRec,
                         double* out) const {
  const auto found = columns_.find(upperCase(variable));
  if (found == columns_.end()) raiseFailure("Variable: " + variable + " not found.");
  const Column& column = found->second;
  const auto count = static_cast<std::size_t>(toRec - fromRec + 1);
  const auto first = static_cast<std::uint64_t>(fromRec - 1);
  if (column.clusterLevel) {
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t cluster = clusterOf_[first + i];
      out[i] = cluster == kNoCluster ? MISSING : column.clusterValues[cluster];
    }
    return;
  }
  // The bytes that hold the records, decoded in place as the data array decodes them.
  const unsigned fields = fieldsPerByte(column.encoding);
  const std::uint64_t firstByte = fields != 0 ? first / fields : first * widthOf(column.encoding);
  const std::uint64_t endByte =
      fields != 0 ? (first + count - 1) / fields + 1 : (first + count) * widthOf(column.encoding);
  std::memcpy(out, column.bytes.data() + firstByte, endByte - firstByte);
  widenInPlace(column.encoding, fields != 0 ? static_cast<unsigned>(first % fields) : 0, out,
               count);
}

void CensusBlockSource::read(const std::string& variable, std::int64_t fromRec, std::int64_t toRec,
                             double* out) {
  if (upperCase(variable) != upperCase(kYhatName))
    return census_.read(variable, fromRec, toRec, out);
  if (prediction_ == nullptr) raiseFailure("Variable: " + variable + " not found.");
  std::copy_n(prediction_ + (fromRec - predictionFrom_), toRec - fromRec + 1, out);
}

}  // namespace tessary::cli

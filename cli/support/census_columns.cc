#include "support/census_columns.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "data/cda.h"
#include "data/data_set.h"
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
    DataSet census;
    census.openCombined(daaPath);
    households_ = census.header(0).recordCount;
    if (households_ == 0) raiseFailure("the census has no households");
    readClusters(census);
    for (const std::string& name : variables)
      readVariable(census, upperCase(name));
  } catch (const Failure& failure) {
    raiseFailure(daaPath + ": " + failure.text());
  }
}

void CensusColumns::readClusters(DataSet& census) {
  if (census.levelCount() < 2) raiseFailure("the census has no cluster level");
  const std::uint32_t clusters = census.header(1).recordCount;
  if (clusters == 0) raiseFailure("the census has no cluster records");
  if (clusterIdName_.empty()) clusterIdName_ = textOf(census.header(1).headerTextA);
  if (clusterIdName_.empty())
    raiseFailure(
        "the cluster level's header names no identifier variable: name one with --cluster");
  census.setLevel(1);
  clusterIds_.resize(clusters);
  census.read(clusterIdName_, std::span<double>(clusterIds_), 1, clusters);

  // The cluster record of each household: the record numbers spread like any cluster
  // variable.
  std::vector<double> recordNumbers(clusters);
  std::iota(recordNumbers.begin(), recordNumbers.end(), 0.0);
  clusterOf_.resize(static_cast<std::size_t>(households_));
  ColumnBuffer<double> chunk(static_cast<std::size_t>(std::min(households_, kLoadChunk)));
  forEachLoadChunk(households_, [&](std::int64_t from, std::int64_t to) {
    const std::span<double> values(chunk.data(), static_cast<std::size_t>(to - from + 1));
    std::fill(values.begin(), values.end(), MISSING);
    expandThroughRef(*census.coarserReference(0), recordNumbers, values, from, to);
    for (std::size_t i = 0; i < values.size(); ++i)
      clusterOf_[from - 1 + i] =
          values[i] == MISSING ? kNoCluster : static_cast<std::uint32_t>(values[i]);
  });
}

// A household variable is kept in its stored encoding, narrowed back from the values
// read; any other as one value per cluster record.
void CensusColumns::readVariable(DataSet& census, const std::string& name) {
  if (columns_.count(name) != 0) return;
  census.setLevel(0);
  const int level = census.levelOf(name);
  if (level < 0) raiseFailure("Variable: " + name + " not found.");
  Column& column = columns_[name];
  column.clusterLevel = level != 0;
  if (column.clusterLevel) {
    census.setLevel(1);
    column.clusterValues.resize(clusterIds_.size());
    census.read(name, std::span<double>(column.clusterValues), 1,
                static_cast<std::int64_t>(clusterIds_.size()));
    return;
  }
  const char stored = census.variable(name)->encoding;
  column.encoding = isKnownEncoding(stored) ? stored : 'D';
  column.bytes.resize(regionBytes(column.encoding, static_cast<std::uint64_t>(households_)));
  ColumnBuffer<double> chunk(static_cast<std::size_t>(std::min(households_, kLoadChunk)));
  forEachLoadChunk(households_, [&](std::int64_t from, std::int64_t to) {
    const auto count = static_cast<std::size_t>(to - from + 1);
    census.read(name, std::span<double>(chunk.data(), count), from, to);
    unsigned char* target =
        column.bytes.data() + regionBytes(column.encoding, static_cast<std::uint64_t>(from - 1));
    if (column.encoding != 'D')
      narrowColumn(column.encoding, chunk.data(), count, target);
    else
      std::memcpy(target, chunk.data(), regionBytes(column.encoding, count));
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
  const Encoding& encoding = encodingOf(column.encoding);
  const unsigned fields = encoding.fieldsPerByte;
  const std::uint64_t firstByte = fields != 0 ? first / fields : first * encoding.width;
  const std::uint64_t endByte =
      fields != 0 ? (first + count - 1) / fields + 1 : (first + count) * encoding.width;
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

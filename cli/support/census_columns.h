// The one place `tessary simulate` reads a census: the variables its models need, read
// once from a combined data array and held in memory as the data set stores them (a
// household variable in its stored encoding, a cluster or auxiliary variable as one
// double per cluster record), with the cluster record of every household and the
// cluster identifiers. Blocks of households are decoded from there on demand, by any
// number of threads at once.
//
// Clusters are the records of the cluster level; a household belongs to the record the
// data reference ties it to. The cluster identifier is a variable read at the cluster
// level: the one named, or else the identifier its header names (its first text).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/column_memory.h"
#include "regression/column_source.h"

namespace tessary {
class DataSet;
}

namespace tessary::cli {

inline constexpr std::uint32_t kNoCluster = 0xFFFFFFFFu;

class CensusColumns {
 public:
  // Reads `variables` (names of any level, any case) of the census described by a
  // .daA file, and the cluster identifier `clusterId` ("": the header's). Raises
  // "<path>: <reason>" when the census or a variable can't be read.
  CensusColumns(const std::string& daaPath, const std::vector<std::string>& variables,
                const std::string& clusterId = "");

  const std::string& path() const { return path_; }
  std::int64_t households() const { return households_; }
  std::uint32_t clusterCount() const { return static_cast<std::uint32_t>(clusterIds_.size()); }
  // The cluster record (0-based) of every household, kNoCluster when it has none.
  const ColumnBuffer<std::uint32_t>& clusterOf() const { return clusterOf_; }
  // The identifier of every cluster record, and the identifier variable's name.
  const std::vector<double>& clusterIds() const { return clusterIds_; }
  const std::string& clusterIdName() const { return clusterIdName_; }

  bool holds(const std::string& variable) const;
  // Values of households fromRec..toRec (1-based, inclusive) into out.
  void read(const std::string& variable, std::int64_t fromRec, std::int64_t toRec,
            double* out) const;

 private:
  struct Column {
    bool clusterLevel = false;
    char encoding = 'D';               // of a household column
    ColumnBuffer<std::uint8_t> bytes;  // the household column as stored
    std::vector<double> clusterValues;
  };

  void readClusters(DataSet& census);
  void readVariable(DataSet& census, const std::string& name);

  std::string path_;
  std::int64_t households_ = 0;
  ColumnBuffer<std::uint32_t> clusterOf_;
  std::vector<double> clusterIds_;
  std::string clusterIdName_;
  std::map<std::string, Column> columns_;  // by upper-case name
};

// The census columns as a design reader sees them, plus the variable "_yhat_": the
// predicted welfare of the block being read, set before each block. One per thread.
class CensusBlockSource final : public ColumnSource {
 public:
  explicit CensusBlockSource(const CensusColumns& census) : census_(census) {}

  // "_yhat_" of records fromRec.. is prediction[0..].
  void setPrediction(const double* prediction, std::int64_t fromRec) {
    prediction_ = prediction;
    predictionFrom_ = fromRec;
  }
  std::int64_t recordCount() const override { return census_.households(); }
  void read(const std::string& variable, std::int64_t fromRec, std::int64_t toRec,
            double* out) override;

 private:
  const CensusColumns& census_;
  const double* prediction_ = nullptr;
  std::int64_t predictionFrom_ = 1;
};

}  // namespace tessary::cli

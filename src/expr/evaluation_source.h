// Where an evaluation reads its columns and forms its groups: a data array, or a
// combined data array at its cursor. The four operations behind the evaluator's
// callbacks (fetchDataArrayColumn, fetchCombinedColumn, groupAggregate,
// clusterAggregate) are reached through this interface.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/categorize.h"
#include "data/cda.h"
#include "data/data_array.h"
#include "expr/aggregate.h"

namespace tessary {

// Reads a variable's records fromRec..toRec into the front of values (a categorical
// variable with its labels) and returns its kind character. For a categorical variable
// values must hold all records of the variable's level.
char fetchDataArrayColumn(DataArray& data, const std::string& name, std::span<double> values,
                          std::int64_t fromRec, std::int64_t toRec, LabelMap& labels);
char fetchCombinedColumn(CDA& cda, const std::string& name, std::span<double> values,
                         std::int64_t fromRec, std::int64_t toRec, LabelMap& labels);

class EvaluationSource {
 public:
  virtual ~EvaluationSource() = default;
  // Values a stack slot must hold.
  virtual std::size_t slotSize() const = 0;
  // The record count of the data set (COUNT()).
  virtual std::int64_t recordCount() const = 0;
  virtual bool combined() const = 0;
  virtual bool hasVariable(const std::string& upperName) = 0;
  virtual char fetchColumn(const std::string& name, std::span<double> values, std::int64_t fromRec,
                           std::int64_t toRec, LabelMap& labels) = 0;
  virtual void aggregate(int op, double* x, const double* w, int digits, std::int64_t fromRec,
                         std::int64_t toRec, AggregateScratch& scratch) = 0;
  // The record bitmaps behind GMASK() and ALLMISSED().
  virtual void globalMask(std::vector<std::uint8_t>& bitmap) = 0;
  virtual void holeUnion(std::vector<std::uint8_t>& bitmap) = 0;
};

class DataArraySource : public EvaluationSource {
 public:
  explicit DataArraySource(DataArray& data) : data_(data) {}
  std::size_t slotSize() const override { return data_.recordCount; }
  std::int64_t recordCount() const override { return data_.recordCount; }
  bool combined() const override { return false; }
  bool hasVariable(const std::string& upperName) override;
  char fetchColumn(const std::string& name, std::span<double> values, std::int64_t fromRec,
                   std::int64_t toRec, LabelMap& labels) override {
    return fetchDataArrayColumn(data_, name, values, fromRec, toRec, labels);
  }
  void aggregate(int op, double* x, const double* w, int digits, std::int64_t fromRec,
                 std::int64_t toRec, AggregateScratch& scratch) override {
    groupAggregate(data_, op, x, w, digits, fromRec, toRec, scratch);
  }
  void globalMask(std::vector<std::uint8_t>& bitmap) override;
  void holeUnion(std::vector<std::uint8_t>& bitmap) override;

 private:
  DataArray& data_;
};

class CombinedSource : public EvaluationSource {
 public:
  explicit CombinedSource(CDA& cda) : cda_(cda) {}
  std::size_t slotSize() const override { return cda_.maxRecordCount(); }
  std::int64_t recordCount() const override;
  bool combined() const override { return true; }
  bool hasVariable(const std::string& upperName) override;
  char fetchColumn(const std::string& name, std::span<double> values, std::int64_t fromRec,
                   std::int64_t toRec, LabelMap& labels) override {
    return fetchCombinedColumn(cda_, name, values, fromRec, toRec, labels);
  }
  void aggregate(int op, double* x, const double* w, int digits, std::int64_t fromRec,
                 std::int64_t toRec, AggregateScratch& scratch) override {
    clusterAggregate(cda_, op, x, w, cda_.cursor, digits, fromRec, toRec, scratch);
  }
  void globalMask(std::vector<std::uint8_t>& bitmap) override;
  void holeUnion(std::vector<std::uint8_t>& bitmap) override;

 private:
  DataArray& cursorLevel();
  CDA& cda_;
};

}  // namespace tessary

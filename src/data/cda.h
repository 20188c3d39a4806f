// The combined data array: household (0), cluster (1) and optional auxiliary (2)
// levels described by a .daA file, read as one data set at the cursor's level. A
// coarser level's value is repeated for every finer record that belongs to it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/categorize.h"
#include "data/data_array.h"
#include "data/data_ref.h"
#include "platform/column_memory.h"

namespace tessary {

class CDA {
 public:
  // Reads the .daA file and binds the levels it names; an absent file gives an empty
  // combined data array. Raises a message for an unreadable or incomplete file.
  explicit CDA(const std::string& daaPath);

  // Loads the level headers and the references.
  void load();

  // Values of records fromRec..toRec of the cursor's level; returns the valueTag.
  int getValue(std::string_view name, std::span<double> out, std::int64_t fromRec,
               std::int64_t toRec);
  // Categorises the variable at the level it is found (as DataArray does), then
  // delivers records fromRec..toRec of the cursor's level at the front of out. When
  // the variable lives at the cursor's level, out must hold all its records.
  int getCategory(std::string_view name, std::span<double> out, std::int64_t fromRec,
                  std::int64_t toRec, std::vector<Category>& categories,
                  const double* weights = nullptr, bool renumber = false, int baseCode = 1);
  // getValue, then only the values whose weight is exactly 1.0 packed at the front;
  // `count` receives how many.
  int getValueWhere(std::string_view name, std::span<double> out, const double* weights,
                    std::int64_t& count, std::int64_t fromRec, std::int64_t toRec);

  // The level a read at the cursor takes a variable from: the first level from the
  // cursor up that stores it (an expression does not count); -1 when none does.
  int storedLevel(std::string_view name) const;

  std::uint32_t maxRecordCount() const { return maxRecordCount_; }
  bool auxPresent() const { return auxPresent_; }
  int levelCount() const { return auxPresent_ ? 3 : 2; }
  DataArray& level(int index) { return levels_[index]; }
  DataRef& clusterRef() { return clusterRef_; }
  DataRef& auxRef() { return auxRef_; }

  int cursor = 0;

 private:
  struct RefPath {
    std::string directory;
    std::string baseName;
  };

  bool presentAt(int level, std::string_view name) const;
  // storedLevel, raising when the cursor is invalid or the variable is not there.
  int sourceLevel(std::string_view name) const;
  // Spreads coarse_, the values of `level`, over records fromRec..toRec of the cursor's
  // level.
  void spreadCoarse(int level, std::span<double> out, std::int64_t fromRec, std::int64_t toRec);

  DataArray levels_[3];
  DataRef clusterRef_;
  DataRef auxRef_;
  RefPath clusterRefPath_;
  RefPath auxRefPath_;
  bool empty_ = true;
  bool auxPresent_ = false;
  std::uint32_t maxRecordCount_ = 0;
  ColumnBuffer<double> coarse_;
  ColumnBuffer<double> middle_;
};

using CombinedDataArray = CDA;

// Spreads the values of a coarser level over finer records fromRec..toRec through
// `ref`, writing at most toRec - fromRec + 1 values to out; returns how many it wrote.
std::size_t expandThroughRef(const DataRef& ref, std::span<const double> coarse,
                             std::span<double> out, std::int64_t fromRec, std::int64_t toRec);

}  // namespace tessary

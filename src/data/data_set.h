// A data set: one data array, or a combined data array read at one of its levels (0
// households, 1 clusters, 2 auxiliary; a coarser level's values come repeated over the
// finer records that belong to it). The evaluator, the tabulation, the regression, the
// exports and the tool reach stored data only through it: it opens and loads the files,
// checks the level, finds where a variable is stored, reads values with their kind and
// labels, and stores new columns.
//
// Readings taken where the store leaves a choice: a level the data set does not have
// (below 0, above 2, or 2 without an auxiliary level) is an invalid cursor for every
// reader; messages of a read are those of the store underneath (DataArray for a data
// array, CDA for a combined data array).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/categorize.h"
#include "data/data_array.h"
#include "data/data_ref.h"
#include "platform/column_memory.h"

namespace tessary {

class CDA;

// One variable read at the data set's level.
struct Column {
  ColumnBuffer<double> values;  // one per record of the level
  char kind = 'N';              // 'C' categorical
  LabelMap labels;              // of a categorical variable
};

// How storeColumn writes a variable.
struct StoreOptions {
  VariableSpec variable;  // the record of a variable not yet in the data set
  bool select = false;    // mark it selected
  // The values are those of the records whose bit is clear, in record order, and the
  // bitmap is written as the variable's holes. Without it the values hold every record
  // and the non-finite ones are the holes.
  const RecordBitmap* holes = nullptr;
  // A categorical variable's labels, written to the label file.
  const LabelMap* labels = nullptr;
  // False leaves the header (and the labels) to a later saveHeader().
  bool saveHeader = true;
};

class DataSet {
 public:
  DataSet();
  ~DataSet();
  DataSet(DataSet&&) noexcept;
  DataSet& operator=(DataSet&&) noexcept;

  // Binds the data array at `path` (a header path or a stem; the extension is dropped)
  // and loads its header; raises the store's messages. True when its files are
  // writable.
  bool openDataArray(std::string_view path);
  // See DataArray::startWritebackOnWrite.
  void startWritebackOnWrite();
  // Reads the .daA at `daaPath` and binds its levels, to be read at `level`; an absent
  // file gives an empty combined data array. load() reads the headers and references.
  void bindCombined(const std::string& daaPath, int level = 0);
  void load();
  void openCombined(const std::string& daaPath, int level = 0);
  // The data set a path names, as a user gives it (see resolveDataSet), opened at
  // `level`. Raises "<path>: no level L (levels 0 to N)" or, for a data array, "<path>:
  // a data array has only level 0; levels need a .daA".
  void open(const std::string& path, int level = 0);

  bool combined() const { return combined_ != nullptr; }
  // The path it was opened with.
  const std::string& path() const { return path_; }
  // 1 for a data array; 2 or 3 for a combined data array.
  int levelCount() const;
  int level() const { return level_; }
  void setLevel(int level);
  // Records at the level; raises "Invalid cursor.\n" for a level the set lacks.
  std::int64_t recordCount() const;
  // Values a buffer handed to read() must hold: the records of the largest level.
  std::size_t slotSize() const;

  // The header of a level (0 for a data array) and its file's path.
  DataArrayHeader& header(int level);
  const DataArrayHeader& header(int level) const;
  std::string headerPath(int level) const;
  // The value labels of a variable of a level (empty when it has none).
  void loadLabels(int level, std::string_view name, LabelMap& labels) const;
  // The reference that ties `level` to the next coarser one; nullptr when none does.
  const DataRef* coarserReference(int level) const;

  // The level whose stored values a read at the data set's level delivers (the first
  // level from it upwards that stores the variable, an expression not counting); -1
  // when none. Raises "Invalid cursor.\n" for a level the set lacks.
  int levelOf(std::string_view name) const;
  // The variable's record at levelOf(name), or nullptr.
  const VariableRecord* variable(std::string_view name) const;

  // Values of records fromRec..toRec of the level into the front of `out` (a
  // categorical variable's labels into `labels` when given); returns the variable's
  // kind. With `categories`, a categorical variable is also categorised at its own
  // level, over all its records, and `categories` receives the result (the number of
  // categories, or a negative categorizeColumn failure); `out` must then hold
  // slotSize() values.
  char read(std::string_view name, std::span<double> out, std::int64_t fromRec, std::int64_t toRec,
            LabelMap* labels = nullptr, int* categories = nullptr);
  // A reader of a variable stored at the data set's own level (levelOf(name) == level()),
  // for reads of its records from several threads at once (data/value_range_reader.h).
  ValueRangeReader rangeReader(std::string_view name);
  // Every record of the level.
  Column readColumn(std::string_view name);
  // The categories of a categorical variable over every record of the level that
  // stores it; returns their number or a negative categorizeColumn failure.
  int categorize(std::string_view name, std::vector<Category>& categories);
  // The record identifiers of records fromRec..toRec of the level: the variable the
  // level's header names in its first text, else the record numbers.
  void readIdentifiers(std::span<double> out, std::int64_t fromRec, std::int64_t toRec);
  // The level's global mask, and the union of its stored variables' hole bitmaps,
  // maskBytes bytes each.
  void globalMask(std::vector<std::uint8_t>& bitmap);
  void holeUnion(std::vector<std::uint8_t>& bitmap);

  // Writes a variable of level 0 (the data array, or the households): added when
  // absent, values encoded, holes and, for a categorical variable, labels written, and
  // the header saved. `values` is rewritten as stored. Returns false when some labels
  // will not be read back (see labelSection).
  bool storeColumn(std::string_view name, std::span<double> values, const StoreOptions& options);
  // Writes the labels still pending and the header of level 0; raises when it can't.
  void saveHeader();

 private:
  DataArray& levelData(int level);
  const DataArray& levelData(int level) const;
  void requireLevel() const;
  int readCategorical(std::string_view name, std::span<double> out, std::int64_t fromRec,
                      std::int64_t toRec);
  // The store's categorisation; `out` holds slotSize() values.
  int categorizeInto(std::string_view name, std::span<double> out, std::int64_t fromRec,
                     std::int64_t toRec, std::vector<Category>& categories);

  std::string path_;
  int level_ = 0;
  std::unique_ptr<DataArray> single_;
  std::unique_ptr<CDA> combined_;
  ColumnBuffer<double> whole_;  // a categorical column read whole
  std::string pendingLabels_;   // label sections not yet in the label file
};

}  // namespace tessary

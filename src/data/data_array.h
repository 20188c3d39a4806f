// One level of data: a header bound to its files (value file .daD, hole file .msk,
// labels .daL) in one directory under one base name.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/categorize.h"
#include "data/data_array_header.h"
#include "data/labels.h"
#include "data/record_bitmap.h"
#include "data/region_placement.h"
#include "data/value_range_reader.h"
#include "platform/column_memory.h"
#include "platform/file.h"

namespace tessary {

// The record a new variable starts with (see DataArray::addVariable).
struct VariableSpec {
  std::string textA{};
  std::string textB{};
  char kind = 'N';
  std::int64_t dataOffset = -1;
  std::int32_t maskOffset = -1;
  std::int32_t validCount = -1;
  std::int16_t valueTag = 0;
  std::uint8_t reservedByte1 = 0;
};

class DataArray : public DataArrayHeader {
 public:
  // Binds the data array to a path (its extension is dropped) and opens the value and
  // hole files that exist, read-write when possible; a reader never creates them, the
  // writers do. True when they are writable. An interrupted replacement of the data
  // array's files is rolled back first (data_array_replacement.h).
  bool open(std::string_view path);
  // Loads the header and checks its counts against the value file before anyone
  // allocates for them; raises a message naming the file otherwise.
  bool loadHeader();
  // Saves the header unless the data array is read-only or unbound; false then. Regions
  // given up by rewritten variables become free for reuse once the save succeeds.
  bool saveHeader();
  using DataArrayHeader::loadHeader;
  using DataArrayHeader::saveHeader;

  bool hasVariable(std::string_view name) const { return find(name) != nullptr; }
  // Adds a record under the upper-cased name, stored as 'D' with minimum and maximum 0;
  // false when the name is taken. The header's variableCount is the caller's to keep.
  bool addVariable(std::string_view name, const VariableSpec& fields);

  // Values of records fromRec..toRec (either order) into out; returns the valueTag.
  int getValue(std::string_view name, std::span<double> out, std::int64_t fromRec,
               std::int64_t toRec);
  // The variable's reader, for reads from several threads at once; raises what
  // getValue raises before it reads. Valid while the data array and its value file live
  // and the variable is not rewritten.
  ValueRangeReader rangeReader(std::string_view name);
  // All recordCount values of a variable into `column`, sized to fit.
  int readColumn(std::string_view name, ColumnBuffer<double>& column);

  // Writes a whole variable (recordCount values) and rewrites `values` as stored. A
  // variable that has values gets a fresh region (see region_placement.h). Raises when
  // the data array is read-only.
  void setValue(std::string_view name, std::span<double> values);
  // Writes a whole variable (recordCount values), leaving `values` as they are.
  void writeValues(std::string_view name, std::span<const double> values);
  // For a data array synced before it counts (a staged one): each variable's values
  // start on their way to the disk as soon as they are written, so that the sync finds
  // little left to do. Elsewhere that would only make the writes wait.
  void startWritebackOnWrite() { writebackOnWrite_ = true; }
  // Writes a whole variable from the values of the present records and a hole bitmap.
  void setValue(std::string_view name, std::span<const double> presentValues,
                const RecordBitmap& holes);

  // Record bitmaps (maskBytes bytes): the global mask and a variable's holes.
  std::uint64_t getGlobalMask(std::span<std::uint8_t> bitmap);
  std::int64_t getMask(std::string_view name, std::span<std::uint8_t> bitmap);
  // Writes a variable's hole bitmap, in a fresh region when it has one; raises when the
  // data array is read-only.
  void setMask(std::string_view name, std::span<const std::uint8_t> bitmap);

  // The variable's value labels from the data array's .daL file (empty when none). The
  // file is read once, at the first call after open() or forgetLabels().
  void loadLabels(std::string_view name, LabelMap& labels) const;
  void forgetLabels() { labels_.reset(); }

  // Categorises a 'C' variable: all values into out (recordCount entries), then records
  // fromRec..toRec moved to its front. `weights`, when given, holds recordCount
  // values. Returns the categorisation result.
  int getCategory(std::string_view name, std::span<double> out, std::int64_t fromRec,
                  std::int64_t toRec, std::vector<Category>& categories,
                  const double* weights = nullptr, bool renumber = false, int baseCode = 1);

  const std::string& directory() const { return directory_; }
  const std::string& baseName() const { return baseName_; }
  bool readOnly() const { return readOnly_; }
  // directory + base name + extension (".daD", ".msk", ...).
  std::string filePath(const char* extension) const;

  // Raises a message when recordCount is more than the value file could back, before
  // anyone allocates a column of that many values.
  void requireRecordCountFitsValueFile();

 private:
  bool openValueFile();
  bool openHoleFile();
  // Opens a file for writing, created when absent; raises `failureText` otherwise.
  void openForWriting(File& file, const char* extension, const std::string& failureText);
  // Where `length` bytes of new values or holes go (see region_placement.h).
  std::uint64_t freshValueRegion(std::uint64_t length) const;
  std::uint64_t freshMaskRegion(std::uint64_t length) const;

  std::string directory_;
  std::string baseName_;
  bool readOnly_ = false;
  File valueFile_;
  File holeFile_;
  // Regions given up since the last save: the header on disk still names them.
  std::vector<FileRegion> releasedValues_;
  std::vector<FileRegion> releasedMasks_;
  mutable std::unique_ptr<LabelFile> labels_;
  ColumnBuffer<unsigned char> encoded_;  // a narrow code's region, kept for the next write
  bool writebackOnWrite_ = false;
};

}  // namespace tessary

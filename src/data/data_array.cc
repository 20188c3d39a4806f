#include "data/data_array.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "data/data_array_replacement.h"
#include "data/encodings.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/error_state.h"
#include "platform/parallel.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary {
namespace {

// Opens an existing file read-write, else read-only; false when neither works.
bool openShared(File& file, const std::string& path, bool& readOnly) {
  if (file.open(path, File::Mode::kReadWrite)) return true;
  if (file.open(path, File::Mode::kRead)) {
    readOnly = true;
    return true;
  }
  return false;
}

}  // namespace

std::string DataArray::filePath(const char* extension) const {
  return directory_ + baseName_ + extension;
}

bool DataArray::open(std::string_view path) {
  valueFile_.close();
  holeFile_.close();
  readOnly_ = false;
  std::string_view rest = path.substr(0, std::min(path.size(), path.rfind('.')));
  directory_ = directoryOf(rest);
  baseName_ = baseNameOf(rest);
  clear();
  releasedValues_.clear();
  releasedMasks_.clear();
  labels_.reset();
  if (baseName_.empty()) return false;
  recoverDataArray(directory_ + baseName_);
  openShared(valueFile_, filePath(".daD"), readOnly_);
  openShared(holeFile_, filePath(".msk"), readOnly_);
  return !readOnly_;
}

bool DataArray::openValueFile() {
  return valueFile_.isOpen() || openShared(valueFile_, filePath(".daD"), readOnly_);
}

bool DataArray::openHoleFile() {
  return holeFile_.isOpen() || openShared(holeFile_, filePath(".msk"), readOnly_);
}

bool DataArray::loadHeader() {
  DataArrayHeader::loadHeader(filePath(".daH"));
  // Without a value file the first read reports it, before anything is allocated.
  if (openValueFile()) requireRecordCountFitsValueFile();
  return true;
}

bool DataArray::saveHeader() {
  if (readOnly_ || baseName_.empty()) return false;
  DataArrayHeader::saveHeader(filePath(".daH"));
  releasedValues_.clear();
  releasedMasks_.clear();
  return true;
}

void DataArray::openForWriting(File& file, const char* extension, const std::string& failureText) {
  if (readOnly_ || baseName_.empty()) raiseFailure(failureText);
  if (!file.isOpen() && !file.open(filePath(extension), File::Mode::kOpenOrCreate))
    raiseFailure(failureText);
}

std::uint64_t DataArray::freshValueRegion(std::uint64_t length) const {
  std::vector<FileRegion> taken = releasedValues_;
  for (const auto& [key, record] : variables_)
    if (record.dataOffset >= 0)
      taken.push_back({static_cast<std::uint64_t>(record.dataOffset),
                       regionBytes(record.encoding, recordCount)});
  const std::int64_t end = valueFile_.size();
  return placeRegion(std::move(taken), maskBytes, end < 0 ? 0 : static_cast<std::uint64_t>(end),
                     length);
}

bool DataArray::addVariable(std::string_view name, const VariableSpec& fields) {
  std::string key = lookupKey(name);
  if (variables_.count(key) != 0) return false;
  VariableRecord record;
  record.id = nextId++;
  record.name = makeTextField(key);
  record.textA = makeTextField(fields.textA);
  record.textB = makeTextField(fields.textB);
  record.kind = fields.kind;
  record.dataOffset = fields.dataOffset;
  record.maskOffset = fields.maskOffset;
  record.validCount = fields.validCount;
  record.valueTag = fields.valueTag;
  record.reservedByte1 = fields.reservedByte1;
  record.minValue = record.maxValue = 0.0;
  record.secondWord = 0;
  record.encoding = 'D';
  record.width = 8;
  record.reservedWord = 0xFFFFFFFFu;
  variables_.emplace(std::move(key), record);
  return true;
}

int DataArray::getValue(std::string_view name, std::span<double> out, std::int64_t fromRec,
                        std::int64_t toRec) {
  lastError = 0;
  if (fromRec > toRec) std::swap(fromRec, toRec);
  if (fromRec < 1 || toRec > static_cast<std::int64_t>(recordCount))
    raiseFailure(formatText("DataArray::getValue:Range beyond: %lld-%lld",
                            static_cast<long long>(fromRec), static_cast<long long>(toRec)));
  const std::uint64_t count = static_cast<std::uint64_t>(toRec - fromRec + 1);
  if (out.size() < count) raiseFailure("DataArray::getValue: INVALID ADDRESS");
  const ValueRangeReader reader = rangeReader(name);
  try {
    reader.read(out.data(), fromRec, toRec);
  } catch (const Failure& failure) {
    lastError = failure.systemError();
    throw;
  }
  return find(name)->valueTag;
}

ValueRangeReader DataArray::rangeReader(std::string_view name) {
  VariableRecord* record = find(name);
  if (record == nullptr)
    raiseFailure("DataArray::getValue:Variable " + lookupKey(name) + " not found.");
  if (record->isExpression()) raiseFailure(lookupKey(name) + " is an expression.");
  const char code = record->encoding;
  const Encoding& encoding = encodingOf(code);
  if (isKnownEncoding(code) && record->width != encoding.width)
    raiseFailure(
        formatText("DataArray::getValue:Variable %s has width %u, which does not fit its "
                   "encoding '%c'.",
                   lookupKey(name).c_str(), record->width, code));
  if (record->valueTag < 0) record->valueTag = 0;
  // Opening failures carry the system error code and the caller's name.
  auto fail = [&](const std::string& message) {
    lastError = lastSystemError();
    raiseFailure(valueReadFailureText(message, lastError, name));
  };
  if (!openValueFile())
    fail("DataArray::getValue:\nCan't open file " + filePath(".daD") + " to read.\n");
  clearSystemError();
  if (record->dataOffset < 0) fail(encoding.readFailure);
  return ValueRangeReader(valueFile_, *record, std::string(name), filePath(".daD"));
}

void DataArray::requireRecordCountFitsValueFile() {
  if (!openValueFile()) {
    lastError = lastSystemError();
    raiseFailure("DataArray:\nCan't open file " + filePath(".daD") + " to read.\n");
  }
  // The global mask opens the value file, and even the most compact code needs a bit
  // per record there.
  const std::int64_t size = valueFile_.size();
  if (size >= 0 && maskBytes > static_cast<std::uint64_t>(size))
    raiseFailure(
        formatText("DataArray: the header of %s claims a global mask of %u bytes, more than "
                   "its value file holds.\n",
                   filePath(".daH").c_str(), maskBytes));
  if (size >= 0 && recordCount / 8 > static_cast<std::uint64_t>(size))
    raiseFailure(
        formatText("DataArray: the header of %s claims %u records, more than its value "
                   "file can hold.\n",
                   filePath(".daH").c_str(), recordCount));
}

int DataArray::readColumn(std::string_view name, ColumnBuffer<double>& column) {
  requireRecordCountFitsValueFile();
  column.resize(recordCount);
  if (recordCount == 0) return 0;
  return getValue(name, std::span<double>(column.data(), column.size()), 1, recordCount);
}

void DataArray::setValue(std::string_view name, std::span<double> values) {
  writeValues(name, values);
  // What a read returns: every stored missing code reads as MISSING, and the integer
  // codes have no -0 (adding 0 makes it +0 and keeps every other integral value).
  if (find(name)->encoding == 'D') return;
  forEachBlock(recordCount, kRecordsPerBlock, [&](std::size_t, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i)
      values[i] = std::isfinite(values[i]) ? values[i] + 0.0 : MISSING;
  });
}

void DataArray::writeValues(std::string_view name, std::span<const double> values) {
  openForWriting(valueFile_, ".daD",
                 "DA::SetValue: Can't open file " + filePath(".daD") + " to write.\n");
  VariableRecord* record = find(name);
  if (record == nullptr) raiseFailure("Variable " + lookupKey(name) + " not found.");
  if (values.size() < recordCount)
    raiseFailure(formatText("DA::SetValue: Variable %s needs %u values, %zu given.\n",
                            lookupKey(name).c_str(), recordCount, values.size()));

  const std::size_t count = recordCount;
  const ColumnSummary summary = summarizeColumn(values.data(), count);
  const char code = chooseEncoding(summary);
  const std::uint64_t bytes = regionBytes(code, count);
  std::uint64_t position;
  if (record->dataOffset >= 0) {
    position = freshValueRegion(bytes);
  } else {
    // Appended regions never reach into the global mask at the front of the file.
    const std::int64_t end = valueFile_.size();
    position = std::max<std::uint64_t>(end < 0 ? 0 : static_cast<std::uint64_t>(end), maskBytes);
  }
  // Doubles are stored as they are; other codes are encoded first, then written whole.
  const void* stored = values.data();
  if (code != 'D') {
    encoded_.resize(bytes);
    narrowColumn(code, values.data(), count, encoded_.data());
    stored = encoded_.data();
  }
  if (valueFile_.writeAt(position, stored, bytes) != bytes) {
    const int error = lastSystemError();
    raiseFileFailure(formatText("File I/O error code = %d", error), filePath(".daD"), error);
  }
  if (writebackOnWrite_) valueFile_.startWriteback(position, bytes);

  // The record changes only once its values are on disk.
  if (record->dataOffset >= 0)
    releasedValues_.push_back(
        {static_cast<std::uint64_t>(record->dataOffset), regionBytes(record->encoding, count)});
  record->minValue = summary.minValue;
  record->maxValue = summary.maxValue;
  record->validCount = static_cast<std::int32_t>(summary.finiteCount);
  record->isInteger = summary.allIntegral;
  record->encoding = code;
  record->width = static_cast<std::uint8_t>(encodingOf(code).width);
  record->dataOffset = static_cast<std::int64_t>(position);
}

void DataArray::setValue(std::string_view name, std::span<const double> presentValues,
                         const RecordBitmap& holes) {
  if (holes.bitCount != recordCount) raiseFailure("Invalid mask length.\n");
  if (holes.bytes.size() < bitmapBytes(recordCount))
    raiseFailure(
        formatText("DA::SetValue: the hole bitmap holds %zu bytes, fewer than %u "
                   "records need.\n",
                   holes.bytes.size(), recordCount));
  const std::uint64_t present = countPresent(holes.bytes.data(), recordCount);
  if (presentValues.size() < present)
    raiseFailure(formatText("DA::SetValue: %zu values given for %llu present records.\n",
                            presentValues.size(), static_cast<unsigned long long>(present)));
  // Without holes the present values are the column.
  if (present == recordCount) return writeValues(name, presentValues);
  ColumnBuffer<double> full(recordCount);
  expandPresent(presentValues.data(), holes.bytes.data(), full.data(), recordCount);
  writeValues(name, std::span<const double>(full.data(), full.size()));
}

}  // namespace tessary

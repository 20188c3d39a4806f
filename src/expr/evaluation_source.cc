#include "expr/evaluation_source.h"

#include "frame/failure.h"
#include "platform/text.h"

namespace tessary {
namespace {

bool storedAt(const DataArray& data, const std::string& name) {
  const VariableRecord* record = data.find(name);
  return record != nullptr && !record->isExpression();
}

void readGlobalMask(DataArray& data, std::vector<std::uint8_t>& bitmap) {
  bitmap.assign(data.maskBytes, 0);
  data.getGlobalMask(bitmap);
}

void readHoleUnion(DataArray& data, std::vector<std::uint8_t>& bitmap) {
  bitmap.assign(data.maskBytes, 0);
  std::vector<std::uint8_t> holes(data.maskBytes, 0);
  std::vector<std::string> names;
  for (const auto& [name, record] : data.variables())
    if (!record.isExpression() && record.maskOffset >= 0) names.push_back(name);
  for (const std::string& name : names) {
    if (data.getMask(name, holes) < 0) continue;
    for (std::size_t i = 0; i < bitmap.size(); ++i)
      bitmap[i] |= holes[i];
  }
}

void requireLevels(int result, const std::string& name) {
  if (result <= 0) raiseFailure(name + " is not a categorical variable");
}

}  // namespace

char fetchDataArrayColumn(DataArray& data, const std::string& name, std::span<double> values,
                          std::int64_t fromRec, std::int64_t toRec, LabelMap& labels) {
  const std::string key = upperCase(name);
  const VariableRecord* record = data.find(key);
  const char kind = record != nullptr ? record->kind : 'N';
  labels.clear();
  if (kind == 'C') {
    std::vector<Category> categories;
    requireLevels(data.getCategory(key, values, fromRec, toRec, categories), key);
    data.loadLabels(key, labels);
  } else {
    data.getValue(key, values, fromRec, toRec);
  }
  return kind;
}

char fetchCombinedColumn(CDA& cda, const std::string& name, std::span<double> values,
                         std::int64_t fromRec, std::int64_t toRec, LabelMap& labels) {
  const std::string key = upperCase(name);
  labels.clear();
  cda.getValue(key, values, fromRec, toRec);
  DataArray& level = cda.level(cda.foundLevel);
  const char kind = level.find(key)->kind;
  if (kind == 'C') {
    std::vector<Category> categories;
    requireLevels(cda.getCategory(key, values, fromRec, toRec, categories), key);
    level.loadLabels(key, labels);
  }
  return kind;
}

bool DataArraySource::hasVariable(const std::string& upperName) {
  return storedAt(data_, upperName);
}

void DataArraySource::globalMask(std::vector<std::uint8_t>& bitmap) {
  readGlobalMask(data_, bitmap);
}

void DataArraySource::holeUnion(std::vector<std::uint8_t>& bitmap) {
  readHoleUnion(data_, bitmap);
}

DataArray& CombinedSource::cursorLevel() {
  if (cda_.cursor < 0 || cda_.cursor > 2 || (cda_.cursor == 2 && !cda_.auxPresent()))
    raiseFailure("Invalid cursor.\n");
  return cda_.level(cda_.cursor);
}

std::int64_t CombinedSource::recordCount() const {
  const int cursor = cda_.cursor;
  if (cursor < 0 || cursor > 2) return 0;
  return cda_.level(cursor).recordCount;
}

bool CombinedSource::hasVariable(const std::string& upperName) {
  cursorLevel();  // checks the cursor
  for (int level = cda_.cursor; level <= 2; ++level) {
    if (level == 2 && !cda_.auxPresent()) break;
    if (storedAt(cda_.level(level), upperName)) return true;
  }
  return false;
}

void CombinedSource::globalMask(std::vector<std::uint8_t>& bitmap) {
  readGlobalMask(cursorLevel(), bitmap);
}

void CombinedSource::holeUnion(std::vector<std::uint8_t>& bitmap) {
  readHoleUnion(cursorLevel(), bitmap);
}

}  // namespace tessary

#include "data/data_set.h"

#include <algorithm>
#include <cmath>

#include "data/cda.h"
#include "data/data_set_path.h"
#include "data/labels.h"
#include "data/record_identifier.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/file.h"
#include "platform/parallel.h"
#include "platform/text.h"

namespace tessary {

DataSet::DataSet() = default;
DataSet::~DataSet() = default;
DataSet::DataSet(DataSet&&) noexcept = default;
DataSet& DataSet::operator=(DataSet&&) noexcept = default;

bool DataSet::openDataArray(std::string_view path) {
  combined_.reset();
  single_ = std::make_unique<DataArray>();
  path_ = std::string(path);
  level_ = 0;
  const bool writable = single_->open(path);
  single_->loadHeader();
  return writable;
}

void DataSet::bindCombined(const std::string& daaPath, int level) {
  single_.reset();
  combined_ = std::make_unique<CDA>(daaPath);
  path_ = daaPath;
  setLevel(level);
}

void DataSet::setLevel(int level) {
  level_ = level;
  if (combined_) combined_->cursor = level;
}

void DataSet::load() {
  if (combined_) combined_->load();
}

void DataSet::openCombined(const std::string& daaPath, int level) {
  bindCombined(daaPath, level);
  load();
}

void DataSet::open(const std::string& path, int level) {
  const DataSetPath resolved = resolveDataSet(path);
  if (!resolved.combined) {
    if (level != 0)
      raiseFailure(resolved.path + ": a data array has only level 0; levels need a .daA");
    openDataArray(resolved.path);
    return;
  }
  openCombined(resolved.path, level);
  if (level < 0 || level >= levelCount())
    raiseFailure(formatText("%s: no level %d (levels 0 to %d)", resolved.path.c_str(), level,
                            levelCount() - 1));
}

int DataSet::levelCount() const {
  return combined_ ? combined_->levelCount() : 1;
}

void DataSet::requireLevel() const {
  if (level_ < 0 || level_ >= levelCount()) raiseFailure("Invalid cursor.\n");
}

DataArray& DataSet::levelData(int level) {
  return combined_ ? combined_->level(level) : *single_;
}

const DataArray& DataSet::levelData(int level) const {
  return combined_ ? combined_->level(level) : *single_;
}

std::int64_t DataSet::recordCount() const {
  requireLevel();
  return levelData(level_).recordCount;
}

std::size_t DataSet::slotSize() const {
  return combined_ ? combined_->maxRecordCount() : single_->recordCount;
}

DataArrayHeader& DataSet::header(int level) {
  return levelData(level);
}

const DataArrayHeader& DataSet::header(int level) const {
  return levelData(level);
}

std::string DataSet::headerPath(int level) const {
  return levelData(level).filePath(".daH");
}

void DataSet::loadLabels(int level, std::string_view name, LabelMap& labels) const {
  levelData(level).loadLabels(name, labels);
}

const DataRef* DataSet::coarserReference(int level) const {
  if (!combined_ || level + 1 >= levelCount()) return nullptr;
  return level == 0 ? &combined_->clusterRef() : &combined_->auxRef();
}

int DataSet::levelOf(std::string_view name) const {
  requireLevel();
  if (combined_) return combined_->storedLevel(name);
  const VariableRecord* record = single_->find(name);
  return record != nullptr && !record->isExpression() ? 0 : -1;
}

const VariableRecord* DataSet::variable(std::string_view name) const {
  const int level = levelOf(name);
  return level < 0 ? nullptr : levelData(level).find(name);
}

char DataSet::read(std::string_view name, std::span<double> out, std::int64_t fromRec,
                   std::int64_t toRec, LabelMap* labels, int* categories) {
  if (labels != nullptr) labels->clear();
  // A data array reads what its header has, expressions included, so that the store
  // names what is wrong.
  const VariableRecord* record = combined_ ? variable(name) : single_->find(name);
  const char kind = record != nullptr ? record->kind : 'N';
  if (kind == 'C' && categories != nullptr) {
    *categories = readCategorical(name, out, fromRec, toRec);
  } else if (combined_) {
    combined_->getValue(name, out, fromRec, toRec);
  } else {
    single_->getValue(name, out, fromRec, toRec);
  }
  if (kind == 'C' && labels != nullptr) loadLabels(combined_ ? levelOf(name) : 0, name, *labels);
  return kind;
}

ValueRangeReader DataSet::rangeReader(std::string_view name) {
  requireLevel();
  return levelData(level_).rangeReader(name);
}

int DataSet::readCategorical(std::string_view name, std::span<double> out, std::int64_t fromRec,
                             std::int64_t toRec) {
  std::span<double> target = out;
  if (out.size() < slotSize()) {
    whole_.resize(slotSize());
    target = std::span<double>(whole_.data(), whole_.size());
  }
  std::vector<Category> categories;
  const int result = categorizeInto(name, target, fromRec, toRec, categories);
  if (target.data() != out.data())
    std::copy_n(target.data(), static_cast<std::size_t>(toRec - fromRec + 1), out.data());
  return result;
}

int DataSet::categorizeInto(std::string_view name, std::span<double> out, std::int64_t fromRec,
                            std::int64_t toRec, std::vector<Category>& categories) {
  return combined_ ? combined_->getCategory(name, out, fromRec, toRec, categories)
                   : single_->getCategory(name, out, fromRec, toRec, categories);
}

int DataSet::categorize(std::string_view name, std::vector<Category>& categories) {
  whole_.resize(std::max<std::size_t>(slotSize(), 1));
  return categorizeInto(name, std::span<double>(whole_.data(), whole_.size()), 1,
                        std::max<std::int64_t>(recordCount(), 1), categories);
}

Column DataSet::readColumn(std::string_view name) {
  const std::int64_t records = recordCount();
  Column column;
  column.values.resize(std::max<std::size_t>(slotSize(), 1));
  if (records > 0) {
    column.kind = read(name, std::span<double>(column.values.data(), column.values.size()), 1,
                       records, &column.labels);
  } else {
    // Nothing to read, but an unknown variable is still unknown.
    const VariableRecord* record = variable(name);
    if (record == nullptr) raiseFailure("Variable: " + std::string(name) + " not found.");
    column.kind = record->kind;
  }
  column.values.resize(static_cast<std::size_t>(records));
  return column;
}

void DataSet::readIdentifiers(std::span<double> out, std::int64_t fromRec, std::int64_t toRec) {
  requireLevel();
  readRecordIdentifiers(levelData(level_), out, fromRec, toRec);
}

void DataSet::globalMask(std::vector<std::uint8_t>& bitmap) {
  requireLevel();
  DataArray& data = levelData(level_);
  bitmap.assign(data.maskBytes, 0);
  data.getGlobalMask(bitmap);
}

void DataSet::holeUnion(std::vector<std::uint8_t>& bitmap) {
  requireLevel();
  DataArray& data = levelData(level_);
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

bool DataSet::storeColumn(std::string_view name, std::span<double> values,
                          const StoreOptions& options) {
  DataArray& data = levelData(0);
  if (!data.hasVariable(name)) {
    data.addVariable(name, options.variable);
    data.variableCount += 1;
  }
  if (options.holes != nullptr) {
    data.setValue(name, values, *options.holes);
    data.setMask(name, options.holes->bytes);
  } else {
    data.setValue(name, values);
    std::vector<std::uint8_t> holes(data.maskBytes, 0);
    // Blocks own whole bytes of the bitmap: kRecordsPerBlock is a multiple of 8. A
    // column whose every value counted as valid has no hole to look for.
    if (data.find(name)->validCount != static_cast<std::int32_t>(data.recordCount))
      forEachBlock(data.recordCount, kRecordsPerBlock,
                   [&](std::size_t, std::size_t begin, std::size_t end) {
                     for (std::size_t r = begin; r < end; ++r)
                       if (!std::isfinite(values[r])) setHole(holes.data(), r + 1);
                   });
    data.setMask(name, holes);
  }
  if (options.select) data.select(name);
  bool complete = true;
  if (options.labels != nullptr)
    pendingLabels_ += labelSection(DataArrayHeader::lookupKey(name), *options.labels, complete);
  if (options.saveHeader) saveHeader();
  return complete;
}

void DataSet::startWritebackOnWrite() {
  levelData(0).startWritebackOnWrite();
}

void DataSet::saveHeader() {
  DataArray& data = levelData(0);
  if (!pendingLabels_.empty()) {
    const std::string path = data.filePath(".daL");
    std::string existing;
    if (fileExists(path) && !readWholeFile(path, existing))
      raiseFileFailure(path + ": can't read the labels", path, lastSystemError());
    if (!writeWholeFile(path, existing + pendingLabels_))
      raiseFileFailure(path + ": can't write the labels", path, lastSystemError());
    pendingLabels_.clear();
    data.forgetLabels();
  }
  if (!data.saveHeader())
    raiseFailure("DataArrayHeader::SaveHeader: \nCan't open file " + data.filePath(".daH") +
                 " to write.\n");
}

}  // namespace tessary

#include "data/data_array_header.h"

#include <algorithm>
#include <cstring>

#include "data/little_endian.h"
#include "frame/failure.h"
#include "platform/file.h"
#include "platform/text.h"

namespace tessary {

DataArrayHeader::DataArrayHeader() {
  std::copy_n(kHeaderMagic, 10, magic.begin());
}

void DataArrayHeader::clear() {
  recordCount = variableCount = maskBytes = headerWord6 = 0;
  headerTextA = TextField{};
  headerTextB = TextField{};
  variables_.clear();
}

std::string DataArrayHeader::lookupKey(std::string_view name) {
  return upperCase(name.substr(0, std::min<std::size_t>(name.size(), 256)));
}

VariableRecord* DataArrayHeader::find(std::string_view name) {
  auto it = variables_.find(lookupKey(name));
  return it == variables_.end() ? nullptr : &it->second;
}

const VariableRecord* DataArrayHeader::find(std::string_view name) const {
  auto it = variables_.find(lookupKey(name));
  return it == variables_.end() ? nullptr : &it->second;
}

void DataArrayHeader::select(std::string_view name) {
  VariableRecord* record = find(name);
  if (record == nullptr)
    raiseFailure("DataArrayHeader::Select:\nVariable: " + std::string(name) + " not found\n");
  record->selected = 1;
}

bool DataArrayHeader::loadHeader(const std::string& path) {
  lastError = 0;
  nextId = 0;
  File file;
  if (!file.open(path, File::Mode::kRead)) {
    lastError = lastSystemError();
    raiseFailure("DataArrayHeader::LoadHeader: \nCan't open file " + path + " to read.\n");
  }
  auto readingError = [&] {
    lastError = lastSystemError();
    raiseFailure("DataArrayHeader::LoadHeader: Reading error");
  };
  char fixed[kHeaderFixedBytes];
  if (file.read(fixed, 10) != 10) readingError();
  if (std::strncmp(fixed, kHeaderMagic, 10) != 0)
    raiseFailure("DataArrayHeader::LoadHeader: Invalid DataArray!\n");
  std::copy_n(fixed, 10, magic.begin());
  if (file.read(fixed + 10, 4) != 4) readingError();
  recordCount = loadLittle<std::uint32_t>(fixed + 10);

  // The rest of the fixed part: a file that ends early keeps the fields it lacks.
  bool complete = true;
  auto readField = [&](std::size_t offset, std::size_t size) {
    complete = complete && file.read(fixed + offset, size) == size;
    return complete;
  };
  if (readField(14, 4)) variableCount = loadLittle<std::uint32_t>(fixed + 14);
  if (readField(18, 4)) maskBytes = loadLittle<std::uint32_t>(fixed + 18);
  if (readField(22, 256)) std::copy_n(fixed + 22, 256, headerTextA.begin());
  if (readField(278, 256)) std::copy_n(fixed + 278, 256, headerTextB.begin());
  if (readField(534, 4)) headerWord6 = loadLittle<std::uint32_t>(fixed + 534);

  // Records until the first incomplete one; a later record of the same name wins.
  char bytes[kVariableRecordBytes];
  while (complete && file.read(bytes, sizeof bytes) == sizeof bytes) {
    VariableRecord record = decodeVariableRecord(bytes);
    nextId = std::max(nextId, record.id);
    variables_[textOf(record.name)] = record;
  }
  nextId += 1;
  return true;
}

std::string encodeHeaderFile(const DataArrayHeader& header) {
  std::string out;
  out.reserve(kHeaderFixedBytes + header.variables().size() * kVariableRecordBytes);
  out.append(header.magic.data(), header.magic.size());
  appendLittle(out, header.recordCount);
  appendLittle(out, header.variableCount);
  appendLittle(out, header.maskBytes);
  out.append(header.headerTextA.data(), header.headerTextA.size());
  out.append(header.headerTextB.data(), header.headerTextB.size());
  appendLittle(out, header.headerWord6);
  char bytes[kVariableRecordBytes];
  for (const auto& [name, record] : header.variables()) {
    encodeVariableRecord(record, bytes);
    out.append(bytes, sizeof bytes);
  }
  return out;
}

bool DataArrayHeader::saveHeader(const std::string& path) {
  lastError = 0;
  // A temporary file renamed over the old one: a failed save leaves the old header.
  if (!writeWholeFile(path, encodeHeaderFile(*this))) {
    lastError = lastSystemError();
    raiseFailure("DataArrayHeader::SaveHeader: \nCan't open file " + path + " to write.\n");
  }
  return true;
}

}  // namespace tessary

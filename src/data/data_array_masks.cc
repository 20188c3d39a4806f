// The record bitmaps of a data array: its global mask at the front of the value file
// and each variable's hole bitmap in the hole file.
#include <algorithm>

#include "data/data_array.h"
#include "frame/failure.h"
#include "platform/error_state.h"
#include "platform/presenter.h"
#include "platform/text.h"

namespace tessary {

std::uint64_t DataArray::getGlobalMask(std::span<std::uint8_t> bitmap) {
  if (bitmap.size() < maskBytes)
    raiseFailure(
        formatText("DataArray::getGlobalMask: the bitmap holds %zu bytes, fewer than "
                   "%u.\n",
                   bitmap.size(), maskBytes));
  const std::string path = filePath(".daD");
  if (!openValueFile())
    raiseFailure("DataArray::getGlobalMask:\nCan't open file " + path + " to read.\n");
  if (valueFile_.readAt(0, bitmap.data(), maskBytes) != maskBytes)
    raiseFailure("getGlobalMask read file " + path + " error.");
  return countHoles(bitmap.first(maskBytes));
}

std::int64_t DataArray::getMask(std::string_view name, std::span<std::uint8_t> bitmap) {
  VariableRecord* record = find(name);
  if (record == nullptr)
    raiseFailure("DataArray::getMask:\nVariable " + std::string(name) + " not found.");
  if (record->isExpression())
    raiseFailure("DataArray::getMask:\n" + std::string(name) + " is an expression.");
  if (bitmap.size() < maskBytes)
    raiseFailure(formatText("DataArray::getMask: the bitmap holds %zu bytes, fewer than %u.\n",
                            bitmap.size(), maskBytes));
  std::fill_n(bitmap.begin(), maskBytes, std::uint8_t{0});
  if (!openHoleFile())
    raiseFailure("DataArray::getMask:\nCan't open file " + filePath(".msk") + " to read.\n");
  if (record->maskOffset < 0) raiseFailure("DataArray::getMask:\nRead mask failed.");
  // A truncated or emptied hole file is damage to report, not a bitmap to half-trust.
  const auto offset = static_cast<std::uint64_t>(record->maskOffset);
  const std::int64_t size = holeFile_.size();
  if (size >= 0 && static_cast<std::uint64_t>(size) < offset + maskBytes)
    raiseFailure(
        formatText("DataArray::getMask: the hole file %s holds %lld bytes; the bitmap of "
                   "variable %s needs bytes %llu to %llu.\n",
                   filePath(".msk").c_str(), static_cast<long long>(size),
                   std::string(name).c_str(), static_cast<unsigned long long>(offset + 1),
                   static_cast<unsigned long long>(offset + maskBytes)));
  clearSystemError();
  const std::size_t got = holeFile_.readAt(offset, bitmap.data(), maskBytes);
  if (got < maskBytes) {
    if (lastSystemError() != 0) raiseFailure("DataArray::getMask:\nRead mask failed.");
    return -1;
  }
  const auto holes = static_cast<std::int64_t>(countHoles(bitmap.first(maskBytes)));
  const std::int64_t expected = static_cast<std::int64_t>(recordCount) - record->validCount;
  if (holes != expected) {
    presentMessage(
        nullptr,
        formatText("Number of holes (%i) read in is inconsistent with \nthe number "
                   "from the observition \n(nRec-nObs=%i)\nof variable %s\n",
                   static_cast<int>(holes), static_cast<int>(expected), std::string(name).c_str()),
        "getMask:" + baseName(), kStyleOk);
  }
  record->validCount = static_cast<std::int32_t>(static_cast<std::int64_t>(recordCount) - holes);
  return holes;
}

std::uint64_t DataArray::freshMaskRegion(std::uint64_t length) const {
  std::vector<FileRegion> taken = releasedMasks_;
  for (const auto& [key, record] : variables_)
    if (record.maskOffset >= 0)
      taken.push_back({static_cast<std::uint32_t>(record.maskOffset), maskBytes});
  const std::int64_t end = holeFile_.size();
  return placeRegion(std::move(taken), 0, end < 0 ? 0 : static_cast<std::uint64_t>(end), length);
}

void DataArray::setMask(std::string_view name, std::span<const std::uint8_t> bitmap) {
  const std::string path = filePath(".msk");
  openForWriting(holeFile_, ".msk", "SetMask: Can't open file " + path + " to write.\n");
  VariableRecord* record = find(name);
  if (record == nullptr) raiseFailure("Variable " + lookupKey(name) + " not found.");
  if (bitmap.size() < maskBytes)
    raiseFailure(formatText("SetMask: the bitmap holds %zu bytes, fewer than %u.\n", bitmap.size(),
                            maskBytes));
  std::uint64_t position;
  if (record->maskOffset < 0) {
    const std::int64_t end = holeFile_.size();
    position = end < 0 ? 0 : static_cast<std::uint64_t>(end);
  } else {
    position = freshMaskRegion(maskBytes);
  }
  // The record keeps the offset in 32 bits.
  if (position > 0x7FFFFFFFu)
    raiseFailure("SetMask: the hole file " + path + " has grown beyond 2 GiB.\n");
  if (holeFile_.writeAt(position, bitmap.data(), maskBytes) != maskBytes) {
    const int error = lastSystemError();
    raiseFileFailure(formatText("File I/O error code = %d", error), path, error);
  }
  if (record->maskOffset >= 0)
    releasedMasks_.push_back({static_cast<std::uint32_t>(record->maskOffset), maskBytes});
  record->maskOffset = static_cast<std::int32_t>(position);
}

}  // namespace tessary

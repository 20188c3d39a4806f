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
  clearSystemError();
  const std::size_t got =
      holeFile_.readAt(static_cast<std::uint64_t>(record->maskOffset), bitmap.data(), maskBytes);
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

void DataArray::SetMask(std::string_view name, std::span<const std::uint8_t> bitmap) {
  if (readOnly() || baseName().empty()) return;
  const std::string path = filePath(".msk");
  if (!holeFile_.isOpen() && !holeFile_.open(path, File::Mode::kOpenOrCreate))
    raiseFailure("SetMask: Can't open file " + path + " to write.\n");
  VariableRecord* record = find(name);
  if (record == nullptr) raiseFailure("Variable " + lookupKey(name) + " not found.");
  if (bitmap.size() < maskBytes)
    raiseFailure(formatText("SetMask: the bitmap holds %zu bytes, fewer than %u.\n", bitmap.size(),
                            maskBytes));
  std::uint64_t position;
  if (record->maskOffset == -1) {
    const std::int64_t end = holeFile_.size();
    position = end < 0 ? 0 : static_cast<std::uint64_t>(end);
    // The record keeps the offset in 32 bits.
    if (position > 0x7FFFFFFFu)
      raiseFailure("SetMask: the hole file " + path + " has grown beyond 2 GiB.\n");
  } else {
    position = static_cast<std::uint32_t>(record->maskOffset);
  }
  if (holeFile_.writeAt(position, bitmap.data(), maskBytes) != maskBytes) {
    const int error = lastSystemError();
    raiseFileFailure(formatText("File I/O error code = %d", error), path, error);
  }
  record->maskOffset = static_cast<std::int32_t>(position);
}

}  // namespace tessary

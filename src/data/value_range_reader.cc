#include "data/value_range_reader.h"

#include <utility>

#include "data/encodings.h"
#include "frame/failure.h"
#include "platform/error_state.h"
#include "platform/parallel.h"
#include "platform/text.h"

namespace tessary {

std::string valueReadFailureText(const std::string& message, int systemError,
                                 std::string_view name) {
  return message +
         formatText("\nError Code: (%i)\nVariable: %s", systemError, std::string(name).c_str());
}

ValueRangeReader::ValueRangeReader(const File& file, const VariableRecord& record, std::string name,
                                   std::string path)
    : file_(&file),
      dataOffset_(static_cast<std::uint64_t>(record.dataOffset)),
      code_(record.encoding),
      name_(std::move(name)),
      path_(std::move(path)) {}

void ValueRangeReader::read(double* out, std::int64_t fromRec, std::int64_t toRec) const {
  const auto count = static_cast<std::size_t>(toRec - fromRec + 1);
  forEachBlock(count, kRecordsPerBlock, [&](std::size_t, std::size_t begin, std::size_t end) {
    const auto first = fromRec + static_cast<std::int64_t>(begin);
    readBlock(out + begin, first, first + static_cast<std::int64_t>(end - begin) - 1);
  });
}

void ValueRangeReader::readBlock(double* out, std::int64_t fromRec, std::int64_t toRec) const {
  const Encoding& encoding = encodingOf(code_);
  const unsigned fields = encoding.fieldsPerByte;
  const auto first = static_cast<std::uint64_t>(fromRec - 1);
  const auto count = static_cast<std::uint64_t>(toRec - fromRec + 1);
  std::uint64_t byteOffset, byteCount;
  if (fields != 0) {
    byteOffset = first / fields;
    byteCount = static_cast<std::uint64_t>(toRec - 1) / fields - byteOffset + 1;
  } else {
    byteOffset = first * encoding.width;
    byteCount = count * encoding.width;
  }
  clearSystemError();
  if (file_->readAt(dataOffset_ + byteOffset, out, byteCount) != byteCount) {
    const int error = lastSystemError();
    raiseFileFailure(valueReadFailureText(encoding.readFailure, error, name_), path_, error);
  }
  widenInPlace(code_, static_cast<unsigned>(fields != 0 ? first % fields : 0), out, count);
}

}  // namespace tessary

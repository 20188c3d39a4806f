#include "data/record_identifier.h"

#include "frame/failure.h"

namespace tessary {

void readRecordIdentifiers(DataArray& data, std::span<double> out, std::int64_t fromRec,
                           std::int64_t toRec) {
  const std::string name = textOf(data.headerTextA);
  const VariableRecord* record = name.empty() ? nullptr : data.find(name);
  if (record != nullptr && !record->isExpression()) {
    data.getValue(name, out, fromRec, toRec);
    return;
  }
  if (out.size() < static_cast<std::uint64_t>(toRec - fromRec + 1))
    raiseFailure("readRecordIdentifiers: INVALID ADDRESS");
  for (std::int64_t r = fromRec; r <= toRec; ++r)
    out[static_cast<std::size_t>(r - fromRec)] = static_cast<double>(r);
}

}  // namespace tessary

// The exported variable update: writes one household-level variable of a combined
// data array, values and holes, and selects it.
#include <cstring>
#include <span>

#include "data/cda.h"
#include "frame/boundary.h"
#include "frame/failure.h"
#include "tessary.h"

namespace tessary {
namespace {

const BoundaryPolicy kUpdateVariablePolicy = {
    .caption = "updateVariable",
    .otherText = "Unexpected error occured",
    .otherResult = -1,
};

void updateHouseholdVariable(const char* daaPath, const char* name, const double* values,
                             const unsigned char* holes) {
  if (daaPath == nullptr || name == nullptr || holes == nullptr)
    raiseFailure("updateVariable: no data set, variable name or hole bitmap given.\n");
  CDA cda(daaPath);
  try {
    cda.load();
  } catch (const Failure&) {
    raiseUnexpectedFailure("Loading CDA error");
  }
  DataArray& households = cda.level(0);
  // The caller's bitmap covers the largest level's records; a household level smaller
  // than that cannot take it, and the bitmap is not read at all then.
  const std::uint64_t bits = cda.maxRecordCount();
  if (bits != households.recordCount) raiseFailure("Invalid mask length.\n");
  const RecordBitmap bitmap{std::span<const std::uint8_t>(holes, bitmapBytes(bits)), bits};
  if (!households.hasVariable(name)) {
    households.addVariable(name, name, name, 'N', -1, -1, -1, 0, 2);
    households.variableCount += 1;
  }
  // The caller's array holds one value per present record.
  const std::uint64_t present = countPresent(holes, bits);
  if (values == nullptr && present > 0) raiseFailure("updateVariable: no values given.\n");
  households.SetValue(name, std::span<const double>(values, present), bitmap);
  households.SetMask(name, bitmap.bytes);
  households.Select(name);
  if (!households.saveHeader())
    raiseFailure("DataArrayHeader::SaveHeader: \nCan't open file " + households.filePath(".daH") +
                 " to write.\n");
}

}  // namespace
}  // namespace tessary

extern "C" {

TESSARY_EXPORT int16_t updateVariable(const char* daaPath, const char* name, double* values,
                                      unsigned char* holes) {
  return tessary::guardExport<int16_t>(tessary::kUpdateVariablePolicy, [&]() -> int16_t {
    tessary::updateHouseholdVariable(daaPath, name, values, holes);
    return 0;
  });
}

}  // extern "C"

// The exported variable update: writes one household-level variable of a combined
// data array, values and holes, and selects it.
#include <span>
#include <vector>

#include "data/data_set.h"
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

void updateHouseholdVariable(const char* daaPath, const char* name, double* values,
                             const unsigned char* holes) {
  if (daaPath == nullptr || name == nullptr || holes == nullptr)
    raiseFailure("updateVariable: no data set, variable name or hole bitmap given.\n");
  DataSet data;
  data.bindCombined(daaPath);
  try {
    data.load();
  } catch (const Failure&) {
    raiseUnexpectedFailure("Loading CDA error");
  }
  // The caller's bitmap covers the largest level's records; a household level smaller
  // than that cannot take it, and the bitmap is not read at all then.
  const std::uint64_t bits = data.slotSize();
  if (bits != data.header(0).recordCount) raiseFailure("Invalid mask length.\n");
  const RecordBitmap bitmap{std::span<const std::uint8_t>(holes, bitmapBytes(bits)), bits};
  // The caller's array holds one value per present record.
  const std::uint64_t present = countPresent(holes, bits);
  if (values == nullptr && present > 0) raiseFailure("updateVariable: no values given.\n");
  StoreOptions options;
  options.variable = {.textA = name, .textB = name, .reservedByte1 = 2};
  options.select = true;
  options.holes = &bitmap;
  // Read only: with a hole bitmap the store leaves the values as they are.
  data.storeColumn(name, std::span<double>(values, values == nullptr ? 0 : present), options);
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

#include "spatial/geo_id_statistics.h"

#include <vector>

#include "numeric/saturating_cast.h"
#include "numeric/small_statistics.h"
#include "spatial/attribute_table.h"
#include "spatial/spatial_results.h"
#include "tab/shifted_id_summary.h"

namespace tessary {

using namespace spatial_result;

std::int64_t shiftedIdentifier(double identifier, std::int32_t shiftDigits) {
  return saturatingInt64(identifier / powerOfTen(shiftDigits));
}

std::int32_t geoIdStatistics(const char* path, const char* idField, const char* checkField,
                             std::int32_t start, std::int32_t length, std::int32_t shiftDigits,
                             double& minOut, double& maxOut) {
  const AttributeTable table(path != nullptr ? path : "");
  if (!table.isOpen()) return kTableNotOpened;
  const NumberField id = table.numberField(idField, start, length);
  if (!id.exists()) return kIdFieldMissing;
  if (table.fieldIndex(checkField) < 0) return kLabelFieldMissing;
  if (const auto result = checkReadable(table, id); result != kOk) return result;
  const int n = table.recordCount();
  if (n <= 0) return 0;
  std::vector<double> values(n), records(n);
  for (int r = 0; r < n; ++r) {
    values[r] = table.number(r, id);
    records[r] = r;
  }
  coSort(values.data(), records.data(), n);
  std::int32_t distinct = 1;
  for (int r = 1; r < n; ++r)
    if (shiftedIdentifier(values[r], shiftDigits) != shiftedIdentifier(values[r - 1], shiftDigits))
      ++distinct;
  minOut = static_cast<double>(shiftedIdentifier(values.front(), shiftDigits));
  maxOut = static_cast<double>(shiftedIdentifier(values.back(), shiftDigits));
  return distinct;
}

}  // namespace tessary

#include "support/area_values.h"

#include <cmath>
#include <limits>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "import/csv_reader.h"
#include "platform/text.h"

namespace tessary::cli {
namespace {

const ImportedColumn& numericColumn(const ImportedTable& table, const std::string& name,
                                    const std::string& file) {
  for (const ImportedColumn& column : table.columns)
    if (upperCase(column.name) == upperCase(name)) {
      if (column.isText) raiseFailure(file + ": column " + column.name + " does not hold numbers");
      return column;
    }
  raiseFailure(file + " has no column " + name);
}

}  // namespace

AreaValues valuesByArea(const AreaShapes& shapes, const std::string& csvPath,
                        const std::string& idColumn, const std::string& valueColumn) {
  const ImportedTable table = readCsvFile(csvPath);
  const ImportedColumn& ids = numericColumn(table, idColumn, csvPath);
  const ImportedColumn& values = numericColumn(table, valueColumn, csvPath);
  std::unordered_map<double, double> byId;
  for (std::size_t row = 0; row < table.rowCount; ++row) {
    if (!std::isfinite(ids.numbers[row])) continue;
    if (!byId.emplace(ids.numbers[row], values.numbers[row]).second)
      raiseFailure(csvPath + ": identifier " + formatGeneral(ids.numbers[row], 15) +
                   " appears twice");
  }
  AreaValues out = valuesForShapes(shapes, byId);
  out.rows = table.rowCount;
  return out;
}

AreaValues valuesForShapes(const AreaShapes& shapes,
                           const std::unordered_map<double, double>& byId) {
  AreaValues out;
  out.values.assign(static_cast<std::size_t>(shapes.count),
                    std::numeric_limits<double>::infinity());
  for (std::int32_t k = 0; k < shapes.count; ++k) {
    const auto found = byId.find(shapes.gid(k));
    if (found == byId.end()) continue;
    if (!std::isfinite(found->second)) continue;
    out.values[k] = found->second;
    ++out.withValue;
  }
  return out;
}

}  // namespace tessary::cli

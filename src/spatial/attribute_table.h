// Reading an attribute table (.dbf): fields found by name without regard to case, and
// fields read as numbers the way every spatial operation reads identifiers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "spatial/shape_files.h"
#include "spatial/spatial_results.h"

namespace tessary {

// A field to read as a number. Integer and double fields give their values; a string
// field gives the decimal number opening its substring [start, start + length) (the
// whole text when start equals length), 0 when none does. Any other type (logical,
// date) cannot be read: its reader reports spatial_result::kFieldUnreadable.
struct NumberField {
  int index = -1;
  DBFFieldType type = FTInvalid;
  std::int32_t start = 0;
  std::int32_t length = 0;

  bool exists() const { return index >= 0; }
  bool readable() const { return type == FTString || type == FTInteger || type == FTDouble; }
};

// One field as the table defines it.
struct TableField {
  std::string name;
  DBFFieldType type = FTInvalid;
  int width = 0;
  int decimals = 0;
};

class AttributeTable {
 public:
  AttributeTable() = default;
  // Opens path.dbf read-only (see shapeStem); isOpen() tells whether it could.
  explicit AttributeTable(std::string_view path);

  bool isOpen() const { return file_ != nullptr; }
  // The header's record count, reduced to the records the file's length holds.
  int recordCount() const { return records_; }

  std::vector<TableField> fields() const;
  // The field's position, -1 when the table has none of that name.
  int fieldIndex(const char* name) const;
  DBFFieldType fieldType(int index) const;
  NumberField numberField(const char* name, std::int32_t start = 0, std::int32_t length = 0) const;

  // REQUIRES: field.readable(). Records beyond the count read as 0 and "".
  double number(int record, const NumberField& field) const;
  // The field's text with leading and trailing blanks removed ("" for a missing field).
  std::string text(int record, int index) const;

 private:
  TableFile file_;
  int records_ = 0;
};

// The decimal number at the start of `text` (after blanks), 0 when there is none.
double leadingNumber(const std::string& text);

// Checks that every field in `fields` can be read as a number: kOk or kFieldUnreadable.
// A table without records reads nothing and so never fails.
template <class... Fields>
std::int32_t checkReadable(const AttributeTable& table, const Fields&... fields) {
  if (table.recordCount() == 0) return spatial_result::kOk;
  const bool readable = ((!fields.exists() || fields.readable()) && ...);
  return readable ? spatial_result::kOk : spatial_result::kFieldUnreadable;
}

}  // namespace tessary

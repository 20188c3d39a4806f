#include "spatial/attribute_table.h"

#include "platform/file.h"
#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tessary {

AttributeTable::AttributeTable(std::string_view path) : file_(openTableFile(path)) {
  if (file_ == nullptr) return;
  records_ = std::max(DBFGetRecordCount(file_.get()), 0);
  // shapelib trusts the header's count; a damaged header may claim far more records
  // than the file holds.
  File raw;
  if (!raw.open(shapeStem(path) + ".dbf", File::Mode::kRead)) return;
  const std::int64_t bytes = raw.size();
  const DBFInfo& info = *file_;
  if (info.nRecordLength <= 0 || bytes < info.nHeaderLength) {
    records_ = 0;
    return;
  }
  records_ = static_cast<int>(
      std::min<std::int64_t>(records_, (bytes - info.nHeaderLength) / info.nRecordLength));
}

std::vector<TableField> AttributeTable::fields() const {
  std::vector<TableField> out(static_cast<std::size_t>(std::max(DBFGetFieldCount(file_.get()), 0)));
  for (std::size_t k = 0; k < out.size(); ++k) {
    char name[XBASE_FLDNAME_LEN_READ + 1] = {};
    out[k].type =
        DBFGetFieldInfo(file_.get(), static_cast<int>(k), name, &out[k].width, &out[k].decimals);
    out[k].name = name;
  }
  return out;
}

int AttributeTable::fieldIndex(const char* name) const {
  return name != nullptr ? DBFGetFieldIndex(file_.get(), name) : -1;
}

DBFFieldType AttributeTable::fieldType(int index) const {
  if (index < 0) return FTInvalid;
  return DBFGetFieldInfo(file_.get(), index, nullptr, nullptr, nullptr);
}

NumberField AttributeTable::numberField(const char* name, std::int32_t start,
                                        std::int32_t length) const {
  NumberField field;
  field.index = fieldIndex(name);
  field.type = fieldType(field.index);
  field.start = start;
  field.length = length;
  return field;
}

double AttributeTable::number(int record, const NumberField& field) const {
  if (!field.exists() || record < 0 || record >= records_) return 0.0;
  switch (field.type) {
    case FTInteger:
      return DBFReadIntegerAttribute(file_.get(), record, field.index);
    case FTDouble:
      return DBFReadDoubleAttribute(file_.get(), record, field.index);
    default:
      break;
  }
  const std::string whole = text(record, field.index);
  if (field.start == field.length) return leadingNumber(whole);
  const std::size_t start = field.start < 0 ? 0 : static_cast<std::size_t>(field.start);
  if (start >= whole.size() || field.length <= 0) return 0.0;
  return leadingNumber(whole.substr(start, static_cast<std::size_t>(field.length)));
}

std::string AttributeTable::text(int record, int index) const {
  if (index < 0 || record < 0 || record >= records_) return {};
  const char* value = DBFReadStringAttribute(file_.get(), record, index);
  if (value == nullptr) return {};
  return std::string(trimBlanks(value, " "));
}

double leadingNumber(const std::string& text) {
  std::size_t at = text.find_first_not_of(" \t");
  if (at == std::string::npos) return 0.0;
  if (text[at] == '+') ++at;
  double value = 0.0;
  const auto result = std::from_chars(text.data() + at, text.data() + text.size(), value,
                                      std::chars_format::general);
  // "inf" and "nan" are words, not decimal numbers.
  if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
  return value;
}

}  // namespace tessary

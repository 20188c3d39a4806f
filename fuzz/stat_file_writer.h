// Small Stata, SPSS and SAS files of households made with ReadStat's writer, for the
// stat-file fuzz targets' seeds and the import tests: an id, a labelled urban/rural
// code, integer and fractional columns, an income with each format's kinds of missing
// value (row 1 system-missing; row 3 tagged in Stata from version 113, the declared
// missing value 99 in SPSS), a district name with one empty entry (in SPSS with a
// string value label, North = "Northern"), a note, a date and a date-time.
//
// Row r (0-based): hhid 101 + r, urban 1 + r % 2 (1 Urban, 2 Rural), rooms r - 1, size
// 100000 r, share 0.25 r, income 10.5 r - 3 unless missing, district North, "", South,
// East by r % 4, note "" or "a longer note, with a comma" by r % 2, born on day 42916 + r
// and seen at noon of day 42916 + r, counting from 1899-12-30 (each format in its own
// origin and unit: kBornDay and kSeenDay).
#pragma once

#include <readstat.h>

#include <cstdio>
#include <string>

#include "import/stat_file_reader.h"

namespace tessary::fuzzing {

struct Variant {
  StatFormat format;
  const char* name;
  long version = 0;  // 0: the writer's default
  readstat_compress_t compression = READSTAT_COMPRESS_NONE;
  int rows = 4;
};

inline ssize_t appendBytes(const void* data, size_t length, void* context) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), length);
  return static_cast<ssize_t>(length);
}

struct Columns {
  readstat_variable_t *id, *code, *small, *count, *ratio, *income, *name, *note, *born, *seen;
};

// Days since 1899-12-30 of row 0's date and date-time.
inline constexpr double kBornDay = 42916;
inline constexpr double kSeenDay = 42916.5;

// A day counted from 1899-12-30 as `format` stores it.
inline double storedDay(StatFormat format, double day, bool withTime) {
  const double fromOrigin = format == StatFormat::kSpss ? day + 115859 : day - 21916;
  if (format == StatFormat::kStata) return withTime ? fromOrigin * 86400000 : fromOrigin;
  return format == StatFormat::kSpss || withTime ? fromOrigin * 86400 : fromOrigin;
}

// Stata files before version 113 have no tagged missing values.
inline bool taggedMissing(const Variant& v) {
  return v.format == StatFormat::kStata && (v.version == 0 || v.version >= 113);
}

inline Columns addColumns(readstat_writer_t* writer, const Variant& v) {
  const StatFormat format = v.format;
  const bool dta = format == StatFormat::kStata;
  readstat_label_set_t* labels =
      readstat_add_label_set(writer, dta ? READSTAT_TYPE_INT32 : READSTAT_TYPE_DOUBLE, "urb");
  for (int code = 1; code <= 2; ++code) {
    const char* text = code == 1 ? "Urban" : "Rural";
    if (dta)
      readstat_label_int32_value(labels, code, text);
    else
      readstat_label_double_value(labels, code, text);
  }
  if (taggedMissing(v)) readstat_label_tagged_value(labels, 'a', "refused");
  Columns c{};
  c.id = readstat_add_variable(writer, "hhid", READSTAT_TYPE_DOUBLE, 0);
  readstat_variable_set_label(c.id, "Household id");
  c.code =
      readstat_add_variable(writer, "urban", dta ? READSTAT_TYPE_INT16 : READSTAT_TYPE_DOUBLE, 0);
  if (format != StatFormat::kSas) readstat_variable_set_label_set(c.code, labels);
  c.small =
      readstat_add_variable(writer, "rooms", dta ? READSTAT_TYPE_INT8 : READSTAT_TYPE_DOUBLE, 0);
  c.count =
      readstat_add_variable(writer, "size", dta ? READSTAT_TYPE_INT32 : READSTAT_TYPE_DOUBLE, 0);
  c.ratio =
      readstat_add_variable(writer, "share", dta ? READSTAT_TYPE_FLOAT : READSTAT_TYPE_DOUBLE, 0);
  c.income = readstat_add_variable(writer, "income", READSTAT_TYPE_DOUBLE, 0);
  readstat_variable_set_label(c.income, "Income per head");
  if (format == StatFormat::kSpss) readstat_variable_add_missing_double_value(c.income, 99.0);
  c.name = readstat_add_variable(writer, "district", READSTAT_TYPE_STRING, 8);
  if (format == StatFormat::kSpss) {
    readstat_label_set_t* names = readstat_add_label_set(writer, READSTAT_TYPE_STRING, "dist");
    readstat_label_string_value(names, "North", "Northern");
    readstat_variable_set_label_set(c.name, names);
  }
  c.note = readstat_add_variable(writer, "note", READSTAT_TYPE_STRING,
                                 format == StatFormat::kSpss ? 300 : 40);
  c.born = readstat_add_variable(writer, "born", READSTAT_TYPE_DOUBLE, 0);
  c.seen = readstat_add_variable(writer, "seen", READSTAT_TYPE_DOUBLE, 0);
  readstat_variable_set_format(c.born, dta                           ? "%td"
                                       : format == StatFormat::kSpss ? "DATE11"
                                                                     : "DATE9");
  readstat_variable_set_format(c.seen, dta ? "%tc" : "DATETIME20");
  return c;
}

inline void insertRow(readstat_writer_t* writer, const Columns& c, const Variant& v, int row) {
  const StatFormat format = v.format;
  const bool dta = format == StatFormat::kStata;
  readstat_begin_row(writer);
  readstat_insert_double_value(writer, c.id, 101 + row);
  if (dta)
    readstat_insert_int16_value(writer, c.code, static_cast<int16_t>(1 + row % 2));
  else
    readstat_insert_double_value(writer, c.code, 1 + row % 2);
  if (dta) {
    readstat_insert_int8_value(writer, c.small, static_cast<int8_t>(row - 1));
    readstat_insert_int32_value(writer, c.count, 100000 * row);
    readstat_insert_float_value(writer, c.ratio, 0.25f * static_cast<float>(row));
  } else {
    readstat_insert_double_value(writer, c.small, row - 1);
    readstat_insert_double_value(writer, c.count, 100000 * row);
    readstat_insert_double_value(writer, c.ratio, 0.25 * row);
  }
  if (row % 4 == 1)
    readstat_insert_missing_value(writer, c.income);
  else if (row % 4 == 3 && taggedMissing(v))
    readstat_insert_tagged_missing_value(writer, c.income, 'a');
  else if (row % 4 == 3 && format == StatFormat::kSpss)
    readstat_insert_double_value(writer, c.income, 99.0);
  else
    readstat_insert_double_value(writer, c.income, 10.5 * row - 3);
  const char* districts[] = {"North", "", "South", "East"};
  readstat_insert_string_value(writer, c.name, districts[row % 4]);
  readstat_insert_string_value(writer, c.note, row % 2 == 0 ? "" : "a longer note, with a comma");
  readstat_insert_double_value(writer, c.born, storedDay(format, kBornDay + row, false));
  readstat_insert_double_value(writer, c.seen, storedDay(format, kSeenDay + row, true));
  readstat_end_row(writer);
}

inline std::string writeStatFile(const Variant& v) {
  std::string bytes;
  readstat_writer_t* writer = readstat_writer_init();
  readstat_set_data_writer(writer, &appendBytes);
  readstat_writer_set_file_label(writer, "Seed households");
  readstat_writer_set_file_timestamp(writer, 1700000000);  // the same bytes every run
  if (v.version != 0) readstat_writer_set_file_format_version(writer, v.version);
  if (v.compression != READSTAT_COMPRESS_NONE)
    readstat_writer_set_compression(writer, v.compression);
  const Columns columns = addColumns(writer, v);
  readstat_error_t error = READSTAT_OK;
  if (v.format == StatFormat::kStata) error = readstat_begin_writing_dta(writer, &bytes, v.rows);
  if (v.format == StatFormat::kSpss) error = readstat_begin_writing_sav(writer, &bytes, v.rows);
  if (v.format == StatFormat::kSas) error = readstat_begin_writing_sas7bdat(writer, &bytes, v.rows);
  for (int row = 0; error == READSTAT_OK && row < v.rows; ++row)
    insertRow(writer, columns, v, row);
  if (error == READSTAT_OK) error = readstat_end_writing(writer);
  readstat_writer_free(writer);
  if (error != READSTAT_OK) {
    std::fprintf(stderr, "%s: %s\n", v.name, readstat_error_message(error));
    return {};
  }
  return bytes;
}

}  // namespace tessary::fuzzing

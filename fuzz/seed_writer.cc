// Writes the seed corpora of the import fuzz targets: small valid Stata, SPSS and SAS
// files made with ReadStat's writer (several file versions and compressions, numeric
// types, value and variable labels, the formats' kinds of missing value, long and
// empty strings), and small CSV files of every form the reader accepts.
//
//   fuzz_seed_writer fuzz/corpus
//
// rewrites fuzz/corpus/stat_dta, stat_sav, stat_sas7bdat and csv.
#include <readstat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"

namespace {

enum class Format { kDta, kSav, kSas };

struct Variant {
  Format format;
  const char* name;
  long version = 0;  // 0: the writer's default
  readstat_compress_t compression = READSTAT_COMPRESS_NONE;
  int rows = 4;
};

ssize_t appendBytes(const void* data, size_t length, void* context) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), length);
  return static_cast<ssize_t>(length);
}

struct Columns {
  readstat_variable_t *id, *code, *small, *count, *ratio, *income, *name, *note;
};

// Stata files before version 113 have no tagged missing values.
bool taggedMissing(const Variant& v) {
  return v.format == Format::kDta && (v.version == 0 || v.version >= 113);
}

Columns addColumns(readstat_writer_t* writer, const Variant& v) {
  const Format format = v.format;
  const bool dta = format == Format::kDta;
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
  if (format != Format::kSas) readstat_variable_set_label_set(c.code, labels);
  c.small =
      readstat_add_variable(writer, "rooms", dta ? READSTAT_TYPE_INT8 : READSTAT_TYPE_DOUBLE, 0);
  c.count =
      readstat_add_variable(writer, "size", dta ? READSTAT_TYPE_INT32 : READSTAT_TYPE_DOUBLE, 0);
  c.ratio =
      readstat_add_variable(writer, "share", dta ? READSTAT_TYPE_FLOAT : READSTAT_TYPE_DOUBLE, 0);
  c.income = readstat_add_variable(writer, "income", READSTAT_TYPE_DOUBLE, 0);
  readstat_variable_set_label(c.income, "Income per head");
  if (format == Format::kSav) readstat_variable_add_missing_double_value(c.income, 99.0);
  c.name = readstat_add_variable(writer, "district", READSTAT_TYPE_STRING, 8);
  c.note = readstat_add_variable(writer, "note", READSTAT_TYPE_STRING,
                                 format == Format::kSav ? 300 : 40);
  return c;
}

void insertRow(readstat_writer_t* writer, const Columns& c, const Variant& v, int row) {
  const Format format = v.format;
  const bool dta = format == Format::kDta;
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
  else if (row % 4 == 3 && format == Format::kSav)
    readstat_insert_double_value(writer, c.income, 99.0);
  else
    readstat_insert_double_value(writer, c.income, 10.5 * row - 3);
  const char* districts[] = {"North", "", "South", "East"};
  readstat_insert_string_value(writer, c.name, districts[row % 4]);
  readstat_insert_string_value(writer, c.note, row % 2 == 0 ? "" : "a longer note, with a comma");
  readstat_end_row(writer);
}

std::string writeFile(const Variant& v) {
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
  if (v.format == Format::kDta) error = readstat_begin_writing_dta(writer, &bytes, v.rows);
  if (v.format == Format::kSav) error = readstat_begin_writing_sav(writer, &bytes, v.rows);
  if (v.format == Format::kSas) error = readstat_begin_writing_sas7bdat(writer, &bytes, v.rows);
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

const Variant kStatSeeds[] = {
    {Format::kDta, "stat_dta/v118"},
    {Format::kDta, "stat_dta/v119", 119},
    {Format::kDta, "stat_dta/v117", 117},
    {Format::kDta, "stat_dta/v114", 114},
    {Format::kDta, "stat_dta/v111", 111},
    {Format::kDta, "stat_dta/v108", 108},
    {Format::kDta, "stat_dta/v105", 105},
    {Format::kDta, "stat_dta/no_rows", 118, READSTAT_COMPRESS_NONE, 0},
    {Format::kSav, "stat_sav/plain", 2},
    {Format::kSav, "stat_sav/bytecode", 2, READSTAT_COMPRESS_ROWS},
    {Format::kSav, "stat_sav/zsav", 3, READSTAT_COMPRESS_BINARY},
    {Format::kSav, "stat_sav/no_rows", 2, READSTAT_COMPRESS_NONE, 0},
    {Format::kSas, "stat_sas7bdat/plain"},
    {Format::kSas, "stat_sas7bdat/rle", 0, READSTAT_COMPRESS_ROWS},
    {Format::kSas, "stat_sas7bdat/rows12", 0, READSTAT_COMPRESS_NONE, 12},
};

const struct {
  const char* name;
  const char* content;
} kCsvSeeds[] = {
    {"csv/plain",
     "hhid,cluster,size,head_educ,consumption\n101,1,4,primary,812.5\n"
     "102,1,6,none,530\n103,2,3,secondary,\n"},
    {"csv/quoted",
     "id,name,note\n1,\"Smith, J.\",\"say \"\"hi\"\"\"\n2,\"two\nlines\", lead \n"
     "3,\"\",NA\n"},
    {"csv/semicolon", "a;b;c\n1,5;2;x\n-0,25;.;y\n"},
    {"csv/tabs", "a\tb\n1\t2\r\n\r\n3\t\"4\"\r\n"},
    {"csv/bom_one_column", "\xEF\xBB\xBFx\n1\n\"\"\n-0\n1e308\n"},
    {"csv/blank_names", ",b,\n1,,3\n"},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string root = std::string(argv[1]) + "/";
  int failures = 0;
  for (const Variant& v : kStatSeeds) {
    const std::string bytes = writeFile(v);
    std::filesystem::create_directories(std::filesystem::path(root + v.name).parent_path());
    failures += bytes.empty() || !tessary::writeWholeFile(root + v.name, bytes);
  }
  for (const auto& seed : kCsvSeeds) {
    std::filesystem::create_directories(std::filesystem::path(root + seed.name).parent_path());
    failures += !tessary::writeWholeFile(root + seed.name, seed.content);
  }
  return failures == 0 ? 0 : 1;
}

#include <gtest/gtest.h>

#include <readstat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/data_set_reading.h"
#include "data/data_set_writer.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "import/import_file.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::failureText;
using testing::readStored;
using testing::ScratchDir;
using testing::writeFile;

const double M = MISSING;

ssize_t appendBytes(const void* data, size_t length, void* context) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), length);
  return static_cast<ssize_t>(length);
}

// Four households: an id, a labelled urban/rural code, an income with two kinds of
// missing value and a district name with one empty entry.
std::string writeHouseholds(StatFormat format) {
  std::string bytes;
  readstat_writer_t* writer = readstat_writer_init();
  readstat_set_data_writer(writer, &appendBytes);
  const bool stata = format == StatFormat::kStata;
  readstat_label_set_t* urbanLabels = nullptr;
  if (format != StatFormat::kSas) {
    urbanLabels =
        readstat_add_label_set(writer, stata ? READSTAT_TYPE_INT32 : READSTAT_TYPE_DOUBLE, "urb");
    if (stata) {
      readstat_label_int32_value(urbanLabels, 1, "Urban");
      readstat_label_int32_value(urbanLabels, 2, "Rural");
    } else {
      readstat_label_double_value(urbanLabels, 1, "Urban");
      readstat_label_double_value(urbanLabels, 2, "Rural");
    }
  }
  readstat_variable_t* id = readstat_add_variable(writer, "hhid", READSTAT_TYPE_DOUBLE, 0);
  readstat_variable_set_label(id, "Household id");
  readstat_variable_t* urban =
      readstat_add_variable(writer, "urban", stata ? READSTAT_TYPE_INT16 : READSTAT_TYPE_DOUBLE, 0);
  if (urbanLabels != nullptr) readstat_variable_set_label_set(urban, urbanLabels);
  readstat_variable_t* income = readstat_add_variable(writer, "income", READSTAT_TYPE_DOUBLE, 0);
  readstat_variable_set_label(income, "Income per head");
  if (format == StatFormat::kSpss) readstat_variable_add_missing_double_value(income, 99.0);
  readstat_variable_t* district =
      readstat_add_variable(writer, "district", READSTAT_TYPE_STRING, 8);

  switch (format) {
    case StatFormat::kStata:
      readstat_begin_writing_dta(writer, &bytes, 4);
      break;
    case StatFormat::kSpss:
      readstat_begin_writing_sav(writer, &bytes, 4);
      break;
    case StatFormat::kSas:
      readstat_begin_writing_sas7bdat(writer, &bytes, 4);
      break;
  }
  const double urbanCodes[] = {1, 2, 2, 1};
  const char* districts[] = {"North", "", "South", "East"};
  for (int row = 0; row < 4; ++row) {
    readstat_begin_row(writer);
    readstat_insert_double_value(writer, id, row + 1);
    if (stata)
      readstat_insert_int16_value(writer, urban, static_cast<int16_t>(urbanCodes[row]));
    else
      readstat_insert_double_value(writer, urban, urbanCodes[row]);
    if (row == 0) readstat_insert_double_value(writer, income, 10.5);
    if (row == 1) readstat_insert_missing_value(writer, income);
    if (row == 2) readstat_insert_double_value(writer, income, 30.25);
    if (row == 3) {
      // The source format's own kind of missing value.
      if (stata)
        readstat_insert_tagged_missing_value(writer, income, 'a');
      else if (format == StatFormat::kSpss)
        readstat_insert_double_value(writer, income, 99.0);
      else
        readstat_insert_missing_value(writer, income);
    }
    readstat_insert_string_value(writer, district, districts[row]);
    readstat_end_row(writer);
  }
  readstat_end_writing(writer);
  readstat_writer_free(writer);
  return bytes;
}

TEST(StatImport, StataSpssAndSasFilesBecomeDataArrays) {
  const struct {
    StatFormat format;
    const char* file;
  } formats[] = {{StatFormat::kStata, "hh.dta"},
                 {StatFormat::kSpss, "hh.sav"},
                 {StatFormat::kSas, "hh.sas7bdat"}};
  for (const auto& f : formats) {
    SCOPED_TRACE(f.file);
    ScratchDir dir;
    writeFile(dir.file(f.file), writeHouseholds(f.format));
    StatFormat detected;
    ASSERT_TRUE(statFormatOf(dir.file(f.file), detected));
    EXPECT_EQ(detected, f.format);
    ImportedTable table = readStatFile(dir.file(f.file), detected);
    writeDataSet(table, dir.file("hh"), {"hhid", ""});
    const std::string daH = dir.file("hh.daH");

    const auto id = readStored(daH, "HHID");
    EXPECT_EQ(id.kind, 'N');
    EXPECT_EQ(id.values, (std::vector<double>{1, 2, 3, 4}));
    if (f.format != StatFormat::kSas) {
      EXPECT_EQ(id.textB, "Household id");
    }

    // Value labels keep their codes and make the variable categorical.
    const auto urban = readStored(daH, "URBAN");
    EXPECT_EQ(urban.values, (std::vector<double>{1, 2, 2, 1}));
    EXPECT_EQ(urban.encoding, '2');
    if (f.format == StatFormat::kSas) {
      EXPECT_EQ(urban.kind, 'N');
    } else {
      EXPECT_EQ(urban.kind, 'C');
      EXPECT_EQ(urban.labels, (LabelMap{{1, "Urban"}, {2, "Rural"}}));
    }

    const auto income = readStored(daH, "INCOME");
    EXPECT_EQ(income.kind, 'N');
    EXPECT_EQ(income.encoding, 'D');
    EXPECT_EQ(income.values, (std::vector<double>{10.5, M, 30.25, M}));
    EXPECT_EQ(income.holes, (std::vector<int>{2, 4}));
    EXPECT_EQ(income.validCount, 2);

    const auto district = readStored(daH, "DISTRICT");
    EXPECT_EQ(district.kind, 'C');
    EXPECT_EQ(district.values, (std::vector<double>{2, M, 3, 1}));
    EXPECT_EQ(district.holes, (std::vector<int>{2}));
    EXPECT_EQ(district.labels, (LabelMap{{1, "East"}, {2, "North"}, {3, "South"}}));
  }
}

TEST(StatImport, UnreadableFilesGiveOneLineNamingTheFile) {
  ScratchDir dir;
  writeFile(dir.file("junk.dta"), std::string(300, '\x7f'));
  writeFile(dir.file("junk.sav"), "$FL2 not really");
  StatFormat format;
  EXPECT_FALSE(statFormatOf(dir.file("data.csv"), format));
  for (const char* name : {"junk.dta", "junk.sav", "absent.sas7bdat"}) {
    ASSERT_TRUE(statFormatOf(dir.file(name), format));
    std::string text = "(no failure)";
    try {
      readStatFile(dir.file(name), format);
    } catch (const Failure& failure) {
      text = failure.text();
    }
    EXPECT_EQ(text.rfind(dir.file(name) + ": can't read it as a ", 0), 0u) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
  }
}

// Every 8-byte window of each file overwritten in turn: the reader gives a whole table
// or one line naming the file, whatever the damage hits.
TEST(StatImport, DamagedFilesGiveATableOrOneLineNamingTheFile) {
  const std::string damage("\x77\x65\x0f\x00\xff\x60\x00\x80", 8);
  for (StatFormat format : {StatFormat::kStata, StatFormat::kSpss, StatFormat::kSas}) {
    ScratchDir dir;
    const std::string good = writeHouseholds(format);
    const std::string path = dir.file(format == StatFormat::kStata  ? "d.dta"
                                      : format == StatFormat::kSpss ? "d.sav"
                                                                    : "d.sas7bdat");
    for (std::size_t at = 0; at + damage.size() <= good.size(); at += damage.size()) {
      std::remove(path.c_str());  // a fresh file: rewriting one in place waits for the disk
      writeFile(path, std::string(good).replace(at, damage.size(), damage));
      try {
        const ImportedTable table = readStatFile(path, format);
        for (const ImportedColumn& column : table.columns)
          ASSERT_EQ(column.isText ? column.texts.size() : column.numbers.size(), table.rowCount);
      } catch (const Failure& failure) {
        ASSERT_EQ(failure.text().rfind(path + ": ", 0), 0u) << at << failure.text();
        ASSERT_EQ(failure.text().find('\n'), std::string::npos) << at << failure.text();
      }
    }
  }
}

TEST(StatImport, DamagedCountsFailNamingTheFile) {
  const struct {
    StatFormat format;
    const char* file;
    std::string countBytes;  // the record count as the header holds it
    std::string hugeCount;
  } cases[] = {
      {StatFormat::kStata, "hh.dta", std::string("<N>\x04\0\0\0\0\0\0\0", 11),
       std::string("<N>\xff\xff\xff\x7f\0\0\0\0", 11)},
      {StatFormat::kSpss, "hh.sav", std::string("\x04\0\0\0", 4), "\xff\xff\xff\x7f"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    std::string bytes = writeHouseholds(c.format);
    const std::size_t at = c.format == StatFormat::kSpss ? 80 : bytes.find(c.countBytes);
    ASSERT_EQ(bytes.compare(at, c.countBytes.size(), c.countBytes), 0) << c.file;
    bytes.replace(at, c.hugeCount.size(), c.hugeCount);
    writeFile(dir.file(c.file), bytes);
    const std::string text = failureText([&] { readStatFile(dir.file(c.file), c.format); });
    EXPECT_EQ(text.rfind(dir.file(c.file) + ": can't read it as a ", 0), 0u) << text;
  }
}

}  // namespace
}  // namespace tessary::cli

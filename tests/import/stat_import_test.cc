#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data_fixture.h"
#include "import/import_file.h"
#include "stat_file_writer.h"

namespace tessary {
namespace {

using testing::failureText;
using testing::readStored;
using testing::ScratchDir;
using testing::writeFile;

const double M = MISSING;

// The shared household file of four rows (stat_file_writer.h).
std::string writeHouseholds(StatFormat format) {
  return fuzzing::writeStatFile({format, "households"});
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
    const WriteReport report = importFile(dir.file(f.file), dir.file("hh"), {{"hhid", ""}});
    const std::string daH = dir.file("hh.daH");
    const bool spss = f.format == StatFormat::kSpss;

    const bool sas = f.format == StatFormat::kSas;
    const auto id = readStored(daH, "HHID");
    EXPECT_EQ(id.values, (std::vector<double>{101, 102, 103, 104}));
    EXPECT_EQ(id.textB, "Household id");
    // Value labels keep their codes and make the variable categorical.
    const auto urban = readStored(daH, "URBAN");
    EXPECT_EQ(urban.values, (std::vector<double>{1, 2, 1, 2}));
    EXPECT_EQ(urban.encoding, '2');
    EXPECT_EQ(urban.kind, sas ? 'N' : 'C');
    EXPECT_EQ(urban.labels, sas ? LabelMap() : LabelMap({{1, "Urban"}, {2, "Rural"}}));
    // System-missing, and the format's own kind of missing value but in SAS.
    const auto income = readStored(daH, "INCOME");
    EXPECT_EQ(income.kind, 'N');
    EXPECT_EQ(income.values, (std::vector<double>{-3, M, 18, sas ? 28.5 : M}));
    EXPECT_EQ(income.holes, (sas ? std::vector<int>{2} : std::vector<int>{2, 4}));
    const auto district = readStored(daH, "DISTRICT");
    EXPECT_EQ(district.kind, 'C');
    EXPECT_EQ(district.values, (std::vector<double>{2, M, 3, 1}));
    EXPECT_EQ(district.holes, (std::vector<int>{2}));
    // SPSS string values keep their labels.
    EXPECT_EQ(district.labels,
              (LabelMap{{1, "East"}, {2, spss ? "Northern" : "North"}, {3, "South"}}));
    EXPECT_EQ(readStored(daH, "SHARE").values, (std::vector<double>{0, 0.25, 0.5, 0.75}));
    // Dates and date-times become days since 1899-12-30, each with a note.
    const double born = fuzzing::kBornDay, seen = fuzzing::kSeenDay;
    EXPECT_EQ(readStored(daH, "BORN").values,
              (std::vector<double>{born, born + 1, born + 2, born + 3}));
    EXPECT_EQ(readStored(daH, "SEEN").values,
              (std::vector<double>{seen, seen + 1, seen + 2, seen + 3}));
    const std::string format = f.format == StatFormat::kStata ? "%td" : spss ? "DATE11" : "DATE9";
    EXPECT_EQ(report.notes.at(0), "born: a date (" + format + "), read as days since 1899-12-30");
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

TEST(StatImport, DamagedCountsFailNamingTheFile) {
  const struct {
    StatFormat format;
    const char* file;
    std::string countBytes;  // the record count as the header holds it
    std::string hugeCount;
  } cases[] = {{StatFormat::kStata, "hh.dta", std::string("<N>\x04\0\0\0\0\0\0\0", 11),
                std::string("<N>\xff\xff\xff\x7f\0\0\0\0", 11)},
               {StatFormat::kSpss, "hh.sav", std::string("\x04\0\0\0", 4), "\xff\xff\xff\x7f"}};
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
}  // namespace tessary

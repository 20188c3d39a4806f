#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/labels.h"
#include "data_fixture.h"
#include "import/csv_reader.h"

namespace tessary {
namespace {

using testing::readStored;
using testing::ScratchDir;
using testing::writeFile;

using testing::failureText;

std::vector<std::string> filesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void importCsv(const std::string& csv, const std::string& out, WriteOptions options = {}) {
  importFile(csv, out, {options});
}

const double M = MISSING;

TEST(CsvReader, SeparatorsNumbersAndMissingCells) {
  // Quoted separators do not count, a tie goes to the comma, only the header line counts.
  const std::pair<const char*, char> headers[] = {
      {"a,b,c", ','}, {"a;b;c", ';'},  {"a\tb\tc", '\t'},    {"\"x;y;z\",b", ','},
      {"a;b,c", ','}, {"single", ','}, {"a;b\nc,d,e,f", ';'}};
  for (const auto& [header, separator] : headers)
    EXPECT_EQ(detectSeparator(header), separator) << header;
  const struct {
    const char* cell;
    char separator;
    bool number;
    double value;
  } cells[] = {{" -3.5 ", ',', true, -3.5}, {"+4", ',', true, 4},     {"1e3", ',', true, 1000},
               {"0.1", ',', true, 0.1},     {"", ',', true, M},       {"  ", ',', true, M},
               {"NA", ',', true, M},        {".", ',', true, M},      {"nan", ',', true, M},
               {"inf", ',', true, M},       {"1,5", ';', true, 1.5},  {"1,5", ',', false, 0},
               {"abc", ',', false, 0},      {"1.5x", ',', false, 0},  {"--1", ',', false, 0},
               {"+-1", ',', false, 0},      {"1,5,6", ',', false, 0}, {"1,5,6", ';', false, 0},
               {"1.000,5", ';', false, 0}};
  for (const auto& c : cells) {
    double v = 0;
    EXPECT_EQ(parseNumberCell(c.cell, c.separator, v), c.number) << c.cell;
    if (c.number) {
      EXPECT_EQ(v, c.value) << c.cell;  // 0.1 correctly rounded
    }
  }
}

TEST(CsvImport, ValuesHolesKindsLabelsAndEncodings) {
  ScratchDir dir;
  writeFile(dir.file("survey.csv"),
            "\xEF\xBB\xBFid,name,score,flag,small,note\r\n"
            "1,\"Smith, J.\",1.5,1,0,plain\r\n"
            "2,Jones,2,0,2,\"two\r\nlines\"\r\n"
            "\r\n"
            "3,\"O\"\"Brien\",,1,NA,plain\r\n"
            "4,Adams,-7.25,0,1,\r\n");
  const std::string out = dir.file("survey");
  importCsv(dir.file("survey.csv"), out, {"id", "Score"});

  // Texts get codes 1..k in sorted order, labelled with the texts; a quoted line break
  // stays in the text, labels hold one line; 0..2 with a missing value takes half bytes.
  const struct {
    const char* name;
    char kind, encoding;
    std::vector<double> values;
    std::vector<int> holes;
    LabelMap labels;
  } variables[] = {{"ID", 'N', '4', {1, 2, 3, 4}, {}, {}},
                   {"name",
                    'C',
                    '4',
                    {4, 2, 3, 1},
                    {},
                    {{1, "Adams"}, {2, "Jones"}, {3, "O\"Brien"}, {4, "Smith, J."}}},
                   {"SCORE", 'N', 'D', {1.5, 2, M, -7.25}, {3}, {}},
                   {"FLAG", 'N', '1', {1, 0, 1, 0}, {}, {}},
                   {"SMALL", 'N', '4', {0, 2, M, 1}, {3}, {}},
                   {"NOTE", 'C', '4', {1, 2, 1, M}, {4}, {{1, "plain"}, {2, "two\r lines"}}}};
  for (const auto& v : variables) {
    const auto stored = readStored(out + ".daH", v.name);
    EXPECT_TRUE(stored.kind == v.kind && stored.encoding == v.encoding) << v.name;
    EXPECT_EQ(stored.values, v.values) << v.name;
    EXPECT_EQ(stored.holes, v.holes) << v.name;
    EXPECT_EQ(stored.labels, v.labels) << v.name;
  }
  EXPECT_EQ(readStored(out + ".daH", "ID").textA, "id");
  EXPECT_EQ(readStored(out + ".daH", "SCORE").validCount, 3);

  DataArray data;
  data.open(out + ".daH");
  data.loadHeader();
  EXPECT_TRUE(data.recordCount == 4 && data.variableCount == 6);
  EXPECT_EQ(textOf(data.headerTextA) + "," + textOf(data.headerTextB), "ID,SCORE");
  // Only the data set's own files remain next to the source.
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"survey.csv", "survey.daD", "survey.daH",
                                                           "survey.daL", "survey.msk"}));
}

TEST(CsvImport, MalformedFilesNameFileLineAndColumnAndLeaveNothing) {
  ScratchDir dir;
  const std::string csv = dir.file("bad.csv");
  const struct {
    const char* content;
    std::string message;
  } cases[] = {
      {"a,b\n1,2\n3,4,5\n", ", line 3, column 3: more fields than the 2 columns of the header"},
      {"a,b,c\n1,2,3\n\n4,5\n", ", line 4, column 3 (c): the record ends after 2 of 3 fields"},
      {"a,b\n1,\"open\n2,3\n", ", line 2, column 2 (b): the quoted field is not closed"},
      {"a,b\n1,\"x\"y\n", ", line 2, column 2 (b): unexpected character 'y' after a closing quote"},
      {"a,b\n\"multi\nline\",2,3\n",
       ", line 2, column 3: more fields than the 2 columns of the "
       "header"},
      {"a,A\n1,2\n", ", line 1, column 2 (A): the name is already used by column 1"},
      {"a,b\n", ": the file has no records below the header"},
      {"\n\n", ", line 1: the file has no header row"}};
  for (const auto& c : cases) {
    writeFile(csv, c.content);
    EXPECT_EQ(failureText([&] { importCsv(csv, dir.file("out")); }), csv + c.message) << c.content;
  }
  EXPECT_EQ(failureText([&] { importCsv(dir.file("absent.csv"), dir.file("out")); }),
            dir.file("absent.csv") + ": can't read the file (No such file or directory)");

  writeFile(csv, "a,b\n1,2\n");
  EXPECT_EQ(failureText([&] {
              importCsv(csv, dir.file("out"), {"hhid", ""});
            }),
            "hhid: no such variable in the imported file");
  writeFile(csv, "a,b\n1,x\n");
  EXPECT_EQ(failureText([&] {
              importCsv(csv, dir.file("out"), {"", "B"});
            }),
            "B: the weight variable holds text");
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"bad.csv"}));
}

TEST(CsvImport, ReplacesAnEarlierDataSetWholeOnlyOnSuccess) {
  ScratchDir dir;
  writeFile(dir.file("first.csv"), "code,town\n1,Ayr\n2,Oban\n");
  importCsv(dir.file("first.csv"), dir.file("towns"));
  ASSERT_TRUE(std::filesystem::exists(dir.file("towns.daL")));

  // A failing import keeps the earlier data set as it was.
  const std::string before = testing::readFile(dir.file("towns.daH"));
  writeFile(dir.file("broken.csv"), "code,size\n1,2\n3\n");
  EXPECT_NE(failureText([&] { importCsv(dir.file("broken.csv"), dir.file("towns")); }),
            "(no failure)");
  EXPECT_EQ(testing::readFile(dir.file("towns.daH")), before);

  // A table whose column is shorter than its record count is refused before writing.
  ImportedTable table;
  table.rowCount = 3;
  table.columns.resize(1);
  table.columns[0].name = "x";
  table.columns[0].numbers = {1, 2};
  EXPECT_EQ(failureText([&] { writeDataSet(table, dir.file("towns"), {}); }),
            dir.file("towns") + ": variable x holds 2 values for 3 records");

  // A successful import without labels takes the old labels away.
  writeFile(dir.file("second.csv"), "code,size\n1,20\n2,30\n3,40\n");
  importCsv(dir.file("second.csv"), dir.file("towns"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("towns.daL")));
  EXPECT_EQ(readStored(dir.file("towns.daH"), "SIZE").values, (std::vector<double>{20, 30, 40}));
  EXPECT_EQ(readStored(dir.file("towns.daH"), "TOWN").kind, 0);
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"broken.csv", "first.csv", "second.csv",
                                                           "towns.daD", "towns.daH", "towns.msk"}));
}

// Identifiers stay whole, a stray cell is named, and the user may choose the type.
TEST(CsvImport, TypingNotesAndChosenTypes) {
  const struct {
    const char* csv;
    ColumnTypeRequest types;
    std::vector<std::string> notes;
    std::vector<double> values;  // of the first column
    LabelMap labels;
  } cases[] = {
      {"code,n\n01611190130229,1\n7,2\n",
       {},
       {"code is categorical: \"01611190130229\" on line 2 is a code with leading zeros (--numeric "
        "code reads numbers)"},
       {1, 2},
       {{1, "01611190130229"}, {2, "7"}}},
      {"id\n12\n12345678901234567890\n",
       {},
       {"id is categorical: \"12345678901234567890\" on line 3 is a whole number beyond 2^53, "
        "which a number holds only approximately (--numeric id reads numbers)"},
       {1, 2},
       {{1, "12"}, {2, "12345678901234567890"}}},
      {"x\n1\n\"1,234\"\n1e400\n",
       {},
       {"x is categorical: \"1,234\" on line 3 is not a number"},
       {1, 2, 3},
       {{1, "1"}, {2, "1,234"}, {3, "1e400"}}},
      {"x\n1\n1e400\n",
       {},
       {"x is categorical: \"1e400\" on line 3 is beyond the range of numbers (--numeric x reads "
        "numbers)"},
       {1, 2},
       {{1, "1"}, {2, "1e400"}}},
      {"x\n1\n\"1,234\"\n\n007\nabc\n",
       {.numeric = {"X"}},
       {"x: 2 cells that are not numbers are missing, the first \"1,234\" on line 3"},
       {1, M, 7, M},
       {}},
      {"n,t\n2\t,a\n1,b\n",
       {.text = {"n"}},
       {"t is categorical: \"a\" on line 2 is not a number"},
       {2, 1},
       {{1, "1"}, {2, "2\t"}}},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    writeFile(dir.file("t.csv"), c.csv);
    const WriteReport report = importFile(dir.file("t.csv"), dir.file("t"), {{}, c.types});
    EXPECT_EQ(report.notes, c.notes) << c.csv;
    const auto stored = readStored(dir.file("t.daH"), parseCsv(c.csv, "t").columns[0].name);
    EXPECT_EQ(stored.values, c.values) << c.csv;
    EXPECT_EQ(stored.labels, c.labels) << c.csv;
  }
  writeFile(dir.file("t.csv"), "a,b\n1,2\n");
  EXPECT_EQ(failureText([&] {
              importFile(dir.file("t.csv"), dir.file("t"), {{}, {.text = {"c"}}});
            }),
            "c: no such variable in the imported file (asked to be read as text)");
  EXPECT_EQ(failureText([&] {
              importFile(dir.file("t.csv"), dir.file("t"), {{}, {{"a"}, {"A"}}});
            }),
            "A: asked to be read both as text and as numbers");
}

// Names expressions can't read are made readable; a name taken is numbered.
TEST(CsvImport, NamesBecomeReadable) {
  ScratchDir dir;
  writeFile(dir.file("n.csv"), "sch.wide,my var,A_B,a b,2x\n1,2,3,4,5\n");
  const WriteReport report = importFile(dir.file("n.csv"), dir.file("n"), {{"my var", "SCH_WIDE"}});
  EXPECT_EQ(report.notes, (std::vector<std::string>{
                              "sch.wide is stored as SCH_WIDE (a name expressions can read)",
                              "my var is stored as MY_VAR (a name expressions can read)",
                              "a b is stored as A_B_2 (a name expressions can read)",
                              "2x is stored as _2X (a name expressions can read)"}));
  EXPECT_EQ(readStored(dir.file("n.daH"), "A_B_2").values, std::vector<double>{4});
  EXPECT_EQ(readStored(dir.file("n.daH"), "SCH_WIDE").textA, "sch.wide");
  DataArray data;
  data.open(dir.file("n.daH"));
  data.loadHeader();
  EXPECT_EQ(textOf(data.headerTextA) + "/" + textOf(data.headerTextB), "MY_VAR/SCH_WIDE");
}

TEST(LabelSection, FormsThatReadBackToTheSameCodes) {
  bool complete = false;
  EXPECT_EQ(labelSection("a b[1]", {{1, "x"}, {2, "y"}}, complete),
            "[AB#1$]\nnLevels=2\n1=x\n2=y\n");
  EXPECT_TRUE(complete);
  EXPECT_EQ(labelSection("u", {{5, "Urban"}, {-7, "Rural\nmost"}}, complete),
            "[U]\n-7=Rural most\n5=Urban\n");
  EXPECT_TRUE(complete);

  // Too long for the code=label form: numbered, gaps reading back as "L<code>".
  std::map<int, std::string> many;
  for (int code = 2; code <= 800; code += 2)
    many[code] = std::string(20, 'x');
  const std::string numbered = labelSection("v", many, complete);
  EXPECT_TRUE(complete);
  EXPECT_EQ(numbered.substr(0, 17), "[V]\nnLevels=800\n2");
  many[-1] = "negative";
  labelSection("v", many, complete);
  EXPECT_FALSE(complete);
}

}  // namespace
}  // namespace tessary

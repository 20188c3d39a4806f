#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cli/data_set_reading.h"
#include "data/data_set_writer.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "import/csv_reader.h"
#include "test_support.h"

namespace tessary::cli {
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
  ImportedTable table = readCsvFile(csv);
  writeDataSet(table, out, options);
}

const double M = MISSING;

TEST(CsvReader, SeparatorsNumbersAndMissingCells) {
  EXPECT_EQ(detectSeparator("a,b,c"), ',');
  EXPECT_EQ(detectSeparator("a;b;c"), ';');
  EXPECT_EQ(detectSeparator("a\tb\tc"), '\t');
  EXPECT_EQ(detectSeparator("\"x;y;z\",b"), ',');  // quoted separators do not count
  EXPECT_EQ(detectSeparator("a;b,c"), ',');        // a tie goes to the comma
  EXPECT_EQ(detectSeparator("single"), ',');
  EXPECT_EQ(detectSeparator("a;b\nc,d,e,f"), ';');  // only the header line counts

  double v = 0;
  EXPECT_TRUE(parseNumberCell(" -3.5 ", ',', v));
  EXPECT_EQ(v, -3.5);
  EXPECT_TRUE(parseNumberCell("+4", ',', v));
  EXPECT_EQ(v, 4.0);
  EXPECT_TRUE(parseNumberCell("1e3", ',', v));
  EXPECT_EQ(v, 1000.0);
  EXPECT_TRUE(parseNumberCell("0.1", ',', v));
  EXPECT_EQ(v, 0.1);  // correctly rounded
  for (const char* missing : {"", "  ", "NA", ".", "nan", "inf"}) {
    v = 0;
    EXPECT_TRUE(parseNumberCell(missing, ',', v)) << missing;
    EXPECT_EQ(v, M) << missing;
  }
  EXPECT_TRUE(parseNumberCell("1,5", ';', v));  // decimal comma
  EXPECT_EQ(v, 1.5);
  for (const char* text : {"1,5", "abc", "1.5x", "--1", "+-1", "1,5,6"})
    EXPECT_FALSE(parseNumberCell(text, ',', v)) << text;
  EXPECT_FALSE(parseNumberCell("1,5,6", ';', v));
  EXPECT_FALSE(parseNumberCell("1.000,5", ';', v));
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

  const auto id = readStored(out + ".daH", "ID");
  EXPECT_EQ(id.kind, 'N');
  EXPECT_EQ(id.encoding, '4');
  EXPECT_EQ(id.values, (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(id.textA, "id");

  // Texts get codes 1..k in sorted order, labelled with the texts.
  const auto name = readStored(out + ".daH", "name");
  EXPECT_EQ(name.kind, 'C');
  EXPECT_EQ(name.encoding, '4');
  EXPECT_EQ(name.values, (std::vector<double>{4, 2, 3, 1}));
  EXPECT_EQ(name.labels, (LabelMap{{1, "Adams"}, {2, "Jones"}, {3, "O\"Brien"}, {4, "Smith, J."}}));
  EXPECT_TRUE(name.holes.empty());

  const auto score = readStored(out + ".daH", "SCORE");
  EXPECT_EQ(score.kind, 'N');
  EXPECT_EQ(score.encoding, 'D');
  EXPECT_EQ(score.values, (std::vector<double>{1.5, 2, M, -7.25}));
  EXPECT_EQ(score.holes, (std::vector<int>{3}));
  EXPECT_EQ(score.validCount, 3);

  const auto flag = readStored(out + ".daH", "FLAG");
  EXPECT_EQ(flag.encoding, '1');
  EXPECT_EQ(flag.values, (std::vector<double>{1, 0, 1, 0}));

  // 0..2 with a missing value has range 3: half bytes.
  const auto small = readStored(out + ".daH", "SMALL");
  EXPECT_EQ(small.encoding, '4');
  EXPECT_EQ(small.values, (std::vector<double>{0, 2, M, 1}));
  EXPECT_EQ(small.holes, (std::vector<int>{3}));

  // A quoted line break stays in the text; labels hold one line.
  const auto note = readStored(out + ".daH", "NOTE");
  EXPECT_EQ(note.kind, 'C');
  EXPECT_EQ(note.values, (std::vector<double>{1, 2, 1, M}));
  EXPECT_EQ(note.holes, (std::vector<int>{4}));
  EXPECT_EQ(note.labels, (LabelMap{{1, "plain"}, {2, "two\r lines"}}));

  DataArray data;
  data.open(out + ".daH");
  data.loadHeader();
  EXPECT_EQ(data.recordCount, 4u);
  EXPECT_EQ(data.variableCount, 6u);
  EXPECT_EQ(textOf(data.headerTextA), "ID");
  EXPECT_EQ(textOf(data.headerTextB), "SCORE");
  // Only the data set's own files remain next to the source.
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"survey.csv", "survey.daD", "survey.daH",
                                                           "survey.daL", "survey.msk"}));
}

TEST(CsvImport, SemicolonsWithDecimalCommasAndTabs) {
  ScratchDir dir;
  writeFile(dir.file("eu.csv"), "a;b;c\n1,5;x;2\n-0,25;\"y;z\";3\n");
  importCsv(dir.file("eu.csv"), dir.file("eu"));
  EXPECT_EQ(readStored(dir.file("eu.daH"), "A").values, (std::vector<double>{1.5, -0.25}));
  EXPECT_EQ(readStored(dir.file("eu.daH"), "B").labels, (LabelMap{{1, "x"}, {2, "y;z"}}));

  writeFile(dir.file("tabs.txt"), "a\tb\n1\t2\n3\t\n");
  importCsv(dir.file("tabs.txt"), dir.file("tabs.daH"));
  EXPECT_EQ(readStored(dir.file("tabs.daH"), "B").values, (std::vector<double>{2, M}));
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
      {"\n\n", ", line 1: the file has no header row"},
  };
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

TEST(CsvReader, DamagedContentEitherParsesWholeOrFailsWithOneMessage) {
  const std::string valid =
      "id;name;\"score\"\r\n1;\"a;b\";1,5\r\n2;\"say \"\"hi\"\"\";\r\n3;x y;-2\n";
  const char alphabet[] = {'"', ';', ',', '\t', '\n', '\r', 'x', '1', ' ', '\0'};
  std::mt19937 random(11);
  int parsed = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    std::string content = valid;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % (content.size() + 1);
      const char c = alphabet[random() % sizeof alphabet];
      switch (random() % 3) {
        case 0:
          content.insert(at, 1, c);
          break;
        case 1:
          if (at < content.size()) content.erase(at, 1);
          break;
        default:
          if (at < content.size()) content[at] = c;
      }
    }
    try {
      const ImportedTable table = parseCsv(content, "damaged.csv");
      ++parsed;
      ASSERT_GT(table.rowCount, 0u);
      for (const ImportedColumn& column : table.columns)
        ASSERT_EQ(column.isText ? column.texts.size() : column.numbers.size(), table.rowCount);
    } catch (const Failure& failure) {
      ASSERT_EQ(failure.text().rfind("damaged.csv", 0), 0u) << failure.text();
    }
  }
  EXPECT_GT(parsed, 100);
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
}  // namespace tessary::cli

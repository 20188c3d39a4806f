#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "data/cda.h"
#include "data/data_set_builder.h"
#include "data_fixture.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "tessary.h"

namespace tessary {
namespace {

using testing::MessageRecorder;
using testing::readFile;
using testing::ScratchDir;
using testing::storeVariable;
using testing::writeFile;

using testing::failureText;

const double M = MISSING;

// Ten households in three clusters and two regions:
//   cluster 1 has no households, cluster 2 has households 1-3 (after a skipped entry
//   that consumes nothing), cluster 3 has households 4-8, households 9-10 belong to
//   an entry without a cluster. Clusters 1-2 lie in region 1, cluster 3 in region 2.
struct Survey {
  ScratchDir dir;
  std::string daa;
  explicit Survey(bool withRegions = true) {
    createDataArray(dir.file("hh.daH"), 10);
    createDataArray(dir.file("cl.daH"), 3);
    writeDataRef(
        dir.file("cl.daR"), 1000.0,
        {{1, 0, false, 1}, {1, 4, true, 9}, {1, 3, false, 2}, {1, 5, false, 3}, {0, 2, false, 0}});
    storeVariable(dir.file("hh.daH"), "size", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    storeVariable(dir.file("cl.daH"), "urban", {10, 20, 30});
    storeVariable(dir.file("cl.daH"), "zone", {4, 2, 4}, 'C');
    daa = dir.file("survey.daA");
    if (withRegions) {
      createDataArray(dir.file("rg.daH"), 2);
      writeDataRef(dir.file("rg.daR"), 1.0, {{1, 2, false, 1}, {1, 1, false, 2}});
      storeVariable(dir.file("rg.daH"), "rain", {100.5, 200.25});
      // Relative lines, one with a carriage return inside its extension.
      writeFile(daa, "hh.daH\r\ncl.daH\n" + dir.file("cl.daR") + "\nrg.daH\nrg.daR\n");
    } else {
      writeFile(daa, "hh.daH\ncl.daH\ncl.daR\n");
    }
  }
};

std::vector<double> read(CDA& cda, const char* name, std::int64_t from, std::int64_t to,
                         std::size_t room = 0) {
  std::vector<double> out(room != 0 ? room : static_cast<std::size_t>(to - from + 1), -1.0);
  cda.getValue(name, out, from, to);
  return out;
}

TEST(CDA, CoarserVariablesRepeatOverTheirFinerRecords) {
  Survey survey;
  CDA cda(survey.daa);
  cda.load();
  EXPECT_TRUE(cda.auxPresent());
  EXPECT_EQ(cda.maxRecordCount(), 10u);

  EXPECT_EQ(read(cda, "size", 2, 3), (std::vector<double>{2, 3}));
  EXPECT_EQ(cda.storedLevel("size"), 0);
  EXPECT_EQ(read(cda, "urban", 1, 10), (std::vector<double>{20, 20, 20, 30, 30, 30, 30, 30, M, M}));
  EXPECT_EQ(cda.storedLevel("urban"), 1);
  // Households 5-6 of the five-household cluster: exactly two values written.
  EXPECT_EQ(read(cda, "urban", 5, 6, 3), (std::vector<double>{30, 30, -1}));
  EXPECT_EQ(read(cda, "urban", 3, 4), (std::vector<double>{20, 30}));
  // A range beyond the reference's households is left unwritten.
  EXPECT_EQ(read(cda, "urban", 10, 12), (std::vector<double>{M, -1, -1}));

  EXPECT_EQ(read(cda, "rain", 1, 10), (std::vector<double>{100.5, 100.5, 100.5, 200.25, 200.25,
                                                           200.25, 200.25, 200.25, M, M}));
  EXPECT_EQ(cda.storedLevel("rain"), 2);
  // Reads at the coarser levels, and their messages.
  const struct {
    int cursor;
    const char* name;
    std::int64_t from, to;
    std::vector<double> values;
    std::string failure;
  } cases[] = {{1, "rain", 1, 3, {100.5, 100.5, 200.25}, ""},
               {1, "urban", 2, 3, {20, 30}, ""},
               {2, "RAIN", 1, 2, {100.5, 200.25}, ""},
               {3, "size", 1, 2, {}, "Invalid cursor.\n"},
               {0, "", 1, 2, {}, "CDA::getValue:Variable name is empty"},
               {0, "size", 4, 2, {}, "CDA::getValue:FromRec 4 > ToRec 2."},
               {0, "ghost", 1, 2, {}, "Variable: ghost not found."}};
  for (const auto& c : cases) {
    cda.cursor = c.cursor;
    std::vector<double> out(3, -1);
    if (c.failure.empty())
      EXPECT_EQ(read(cda, c.name, c.from, c.to), c.values) << c.name;
    else
      EXPECT_EQ(failureText([&] { cda.getValue(c.name, out, c.from, c.to); }), c.failure);
  }
}

TEST(CDA, ACoarserLevelWithoutItsValueFileFailsBeforeAllocating) {
  Survey survey(false);
  std::filesystem::remove(survey.dir.file("cl.daD"));
  std::filesystem::create_directory(survey.dir.file("cl.daD"));
  CDA cda(survey.daa);
  cda.load();
  EXPECT_EQ(failureText([&] { read(cda, "urban", 1, 10); }),
            "DataArray:\nCan't open file " + survey.dir.file("cl.daD") + " to read.\n");
}

TEST(CDA, CategoriesAndWeightFilters) {
  Survey survey(false);
  writeFile(survey.dir.file("cl.daL"), "[ZONE]\n2=Coast\n4=Hills\n");
  CDA cda(survey.daa);
  cda.load();
  std::vector<double> out(10, -1);
  std::vector<Category> categories;
  EXPECT_EQ(cda.getCategory("zone", out, 1, 8, categories, nullptr, true, 1), 2);
  EXPECT_EQ(categories[0].label, "Coast");
  EXPECT_EQ(categories[1].count, 2u);
  EXPECT_EQ(std::vector<double>(out.begin(), out.begin() + 8),
            (std::vector<double>{1, 1, 1, 2, 2, 2, 2, 2}));
  EXPECT_EQ(failureText([&] { cda.getCategory("zone", out, 3, 1, categories); }),
            "CDA::getCategory:FromRec 3 > ToRec 1.");

  const std::vector<double> weights = {1, 0, M, 1, 1.0000001, 1, 1, 1, 1, 1};
  std::int64_t count = -1;
  EXPECT_EQ(cda.getValueWhere("size", out, weights.data(), count, 1, 10), 0);
  EXPECT_EQ(count, 7);
  EXPECT_EQ(std::vector<double>(out.begin(), out.begin() + 7),
            (std::vector<double>{1, 4, 6, 7, 8, 9, 10}));
}

TEST(CDA, DescriptionFileRules) {
  ScratchDir dir;
  const std::string daa = dir.file("x.daA");
  EXPECT_NO_THROW(CDA{dir.file("absent.daA")});
  writeFile(daa, "");
  EXPECT_NO_THROW(CDA{daa});
  const std::pair<std::string, std::string> incomplete[] = {
      {"hh.daH\n", ".daA file is incomplete (missing cluster header)"},
      {"hh.daH\ncl.daH\n", ".daA file is incomplete (missing dataRef)"},
      {"hh.daH\ncl.daH\ncl.daR\nrg.daH\n", ".daA file is incomplete (missing aux dataRef line)"},
      {"hh.daH\n" + std::string(1024, 'c') + "\ncl.daR\n",
       "CDA: line 2 of " + daa + " is longer than 1023 characters.\n"}};
  for (const auto& [content, message] : incomplete) {
    writeFile(daa, content);
    EXPECT_EQ(failureText([&] { CDA cda(daa); }), message);
  }
  const std::string folder = dir.file("folder.daA");
  std::filesystem::create_directory(folder);
  EXPECT_EQ(failureText([&] { CDA cda(folder); }),
            "Can't open file (" + folder + ") to read. \nERROR CODE: 21");

  // Levels whose files are missing fail at load with the header's message.
  writeFile(daa, "hh.daH\ncl.daH\ncl.daR\n");
  CDA missing(daa);
  EXPECT_EQ(failureText([&] { missing.load(); }),
            "DataArrayHeader::LoadHeader: \nCan't open file " + dir.file("hh.daH") + " to read.\n");
}

TEST(UpdateVariable, CreatesAndRewritesHouseholdVariables) {
  Survey survey;
  MessageRecorder recorder;
  std::vector<double> values = {1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5};
  unsigned char holes[2] = {0x10, 0x02};  // households 5 and 10
  ASSERT_EQ(updateVariable(survey.daa.c_str(), "Income", values.data(), holes), 0);
  EXPECT_TRUE(recorder.messages().empty());

  DataArray households;
  households.open(survey.dir.file("hh.daH"));
  households.loadHeader();
  const VariableRecord* income = households.find("INCOME");
  ASSERT_NE(income, nullptr);
  EXPECT_TRUE(income->kind == 'N' && income->selected == 1 && income->validCount == 8 &&
              income->reservedByte1 == 2 && households.variableCount == 2);
  EXPECT_EQ(textOf(income->textA) + textOf(income->textB), "IncomeIncome");
  std::vector<double> out(10);
  std::vector<std::uint8_t> mask(2);

  // Rewriting an existing variable keeps its record and replaces values and holes.
  std::vector<double> fewer = {1, 0, 1};
  unsigned char moreHoles[2] = {0xF8, 0x03};
  ASSERT_EQ(updateVariable(survey.daa.c_str(), "income", fewer.data(), moreHoles), 0);
  DataArray again;
  again.open(survey.dir.file("hh.daH"));
  again.loadHeader();
  EXPECT_EQ(again.variableCount, 2u);                                   // SIZE and INCOME
  EXPECT_EQ(again.find("INCOME")->maskOffset, income->maskOffset + 2);  // a fresh bitmap
  again.getValue("income", out, 1, 10);
  EXPECT_EQ(out, (std::vector<double>{1, 0, 1, M, M, M, M, M, M, M}));
  EXPECT_EQ(again.getMask("income", mask), 7);
  EXPECT_TRUE(recorder.messages().empty());
}

TEST(UpdateVariable, FailuresAreReportedWithTheExportsCaptionAndCodes) {
  Survey survey;
  const std::string before = readFile(survey.dir.file("hh.daH"));
  MessageRecorder recorder;
  std::vector<double> values(10, 1.0);
  unsigned char holes[2] = {0, 0};

  // Clusters outnumbering households make the bitmap the wrong length; the caller's
  // bitmap, sized for the households, is not read beyond its end.
  createDataArray(survey.dir.file("cl.daH"), 17);
  std::vector<unsigned char> householdHoles(2);
  EXPECT_EQ(updateVariable(survey.daa.c_str(), "x", values.data(), householdHoles.data()), -2);
  EXPECT_EQ(readFile(survey.dir.file("hh.daH")), before);
  std::filesystem::remove(survey.dir.file("hh.daH"));
  EXPECT_EQ(updateVariable(survey.daa.c_str(), "x", values.data(), holes), -1);
  EXPECT_EQ(updateVariable(nullptr, "x", values.data(), holes), -2);
  EXPECT_EQ(updateVariable(survey.daa.c_str(), nullptr, values.data(), holes), -2);
  ASSERT_EQ(recorder.messages().size(), 4u);
  for (int k : {0, 1})
    EXPECT_EQ(recorder.messages()[k].caption, "updateVariable");
  EXPECT_EQ(recorder.messages()[0].text, "Invalid mask length.\n");
  EXPECT_EQ(recorder.messages()[1].text, "Unexpected error occured");
}

}  // namespace
}  // namespace tessary

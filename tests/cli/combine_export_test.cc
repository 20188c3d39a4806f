#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "data_fixture.h"
#include "stat_file_writer.h"
#include "support/csv_export.h"
#include "support/data_set_info.h"

namespace tessary::cli {
namespace {

using testing::importCsvText;
using testing::readFile;
using testing::readStored;
using testing::ScratchDir;
using testing::writeFile;

const double M = MISSING;

using testing::failureText;

std::vector<double> readAtHouseholds(const std::string& daa, const char* name) {
  DataSet data;
  data.openCombined(daa);
  const Column column = data.readColumn(name);
  return std::vector<double>(column.values.begin(), column.values.end());
}

TEST(MatchLevels, EntriesForEveryKeyAndErrorsNamingTheRecord) {
  const auto entries = matchLevels({10, 20, 30, 50}, "cl", {5, 10, 10, 30, 30, 30, 40}, "hh", "K");
  ASSERT_EQ(entries.size(), 6u);
  const double expected[][3] = {{0, 1, 5},  {1, 2, 10}, {1, 0, 20},
                                {1, 3, 30}, {0, 1, 40}, {1, 0, 50}};
  for (std::size_t i = 0; i < entries.size(); ++i)
    EXPECT_TRUE(entries[i].parentCount == expected[i][0] &&
                entries[i].childCount == expected[i][1] && entries[i].refKey == expected[i][2] &&
                !entries[i].skip)
        << i;
  const std::pair<std::function<void()>, std::string> failures[] = {
      {[] {
         matchLevels({1, 2}, "cl", {1, 2, 1}, "hh", "K");
       },
       "hh: the records are not sorted by K: record 3 (K 1) comes after record 2 (K 2)"},
      {[] {
         matchLevels({1, 2, 2}, "cl", {1}, "hh", "K");
       },
       "cl: record 3 repeats K 2 of record 2"},
      {[] {
         matchLevels({1}, "cl", {1, M}, "hh", "K");
       },
       "hh: record 2 has no K value"}};
  for (const auto& [call, message] : failures)
    EXPECT_EQ(failureText(call), message);
}

TEST(Combine, ClusterAndAuxiliaryVariablesReadAtHouseholdLevel) {
  ScratchDir dir;
  importCsvText(dir, "hh", "hhid,cluster,size\n1,10,3\n2,10,4\n3,20,2\n4,40,5\n");
  importCsvText(dir, "cl", "cluster,urban,region\n10,1,1\n20,0,1\n30,1,2\n");
  importCsvText(dir, "rg", "region,rain\n1,100.5\n2,200\n");

  CombineOptions options;
  options.households = dir.file("hh");
  options.clusters = dir.file("cl.daH");
  options.key = "cluster";
  options.out = dir.file("survey");
  const CombineReport report = combineDataSets(options);
  EXPECT_EQ(report.daaPath, dir.file("survey.daA"));
  EXPECT_EQ(report.clusterEntries, 4u);
  EXPECT_EQ(report.clustersWithoutHouseholds, 1u);
  EXPECT_EQ(report.householdsWithoutCluster, 1u);
  // The description names its files relative to itself.
  EXPECT_EQ(readFile(dir.file("survey.daA")), "hh.daH\ncl.daH\nsurvey_clusters.daR\n");

  EXPECT_EQ(readAtHouseholds(dir.file("survey.daA"), "urban"), (std::vector<double>{1, 1, 0, M}));
  EXPECT_EQ(readAtHouseholds(dir.file("survey.daA"), "size"), (std::vector<double>{3, 4, 2, 5}));

  options.out = dir.file("withregions.daA");
  options.auxiliary = dir.file("rg");
  options.auxiliaryKey = "REGION";
  EXPECT_EQ(combineDataSets(options).auxiliaryEntries, 2u);
  EXPECT_EQ(readFile(dir.file("withregions.daA")),
            "hh.daH\ncl.daH\nwithregions_clusters.daR\nrg.daH\nwithregions_aux.daR\n");
  EXPECT_EQ(readAtHouseholds(dir.file("withregions.daA"), "rain"),
            (std::vector<double>{100.5, 100.5, 100.5, M}));

  // Households out of cluster order: nothing is written.
  importCsvText(dir, "shuffled", "hhid,cluster\n1,20\n2,10\n");
  options.households = dir.file("shuffled");
  options.out = dir.file("bad.daA");
  options.auxiliary.clear();
  EXPECT_EQ(failureText([&] { combineDataSets(options); }),
            dir.file("shuffled.daH") +
                ": the records are not sorted by CLUSTER: record 2 (CLUSTER 10) comes after "
                "record 1 (CLUSTER 20)");
  EXPECT_FALSE(std::filesystem::exists(dir.file("bad.daA")));
  // With --sort the records are put in key order (equal keys keep theirs) and say so.
  importCsvText(dir, "shuffled", "hhid,Cluster,grp\n1,20,b\n2,10,a\n3,20,a\n");
  options.sort = true;
  EXPECT_EQ(combineDataSets(options).sorted,
            std::vector<std::string>{dir.file("shuffled.daH") + " by CLUSTER"});
  EXPECT_EQ(readAtHouseholds(dir.file("bad.daA"), "hhid"), (std::vector<double>{2, 1, 3}));
  EXPECT_EQ(readStored(dir.file("shuffled.daH"), "GRP").labels, (LabelMap{{1, "a"}, {2, "b"}}));
  EXPECT_EQ(readStored(dir.file("shuffled.daH"), "CLUSTER").textA, "Cluster");
  EXPECT_TRUE(combineDataSets(options).sorted.empty());
  options.sort = false;
  importCsvText(dir, "textkeys", "hhid,cluster\n1,A\n2,B\n");
  options.households = dir.file("textkeys");
  EXPECT_EQ(failureText([&] { combineDataSets(options); }),
            dir.file("textkeys.daH") +
                ": the key CLUSTER is categorical; levels are tied by a "
                "numeric key");
  options.key = "district";
  EXPECT_EQ(failureText([&] { combineDataSets(options); }),
            dir.file("cl.daH") + ": no variable DISTRICT");
}

TEST(Export, RoundTripThroughImportAndSelectedVariables) {
  ScratchDir dir;
  const std::string source =
      "id,name,score,flag,note\n"
      "1,\"Smith, J.\",1.5,1,plain\n"
      "2,Jones,0.1,0,\"say \"\"hi\"\"\"\n"
      "3,\"O'Brien\",,1,plain\n"
      "4,Adams,-7.25e-12,0,\n";
  importCsvText(dir, "first", source);
  exportCsv(dir.file("first"), dir.file("first_out.csv"), {});
  EXPECT_EQ(readFile(dir.file("first_out.csv")),
            "id,name,score,flag,note\n"
            "1,\"Smith, J.\",1.5,1,plain\n"
            "2,Jones,0.1,0,\"say \"\"hi\"\"\"\n"
            "3,O'Brien,,1,plain\n"
            "4,Adams,-7.25e-12,0,\n");


  ExportOptions some;
  some.variables = {"score", "NAME"};
  some.codes = true;
  EXPECT_EQ(exportCsv(dir.file("first.daH"), dir.file("some.csv"), some), 4u);
  EXPECT_EQ(readFile(dir.file("some.csv")), "score,name\n1.5,4\n0.1,2\n,3\n-7.25e-12,1\n");
  ::testing::internal::CaptureStdout();
  exportCsv(dir.file("first.daH"), "-", some);  // standard output
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), readFile(dir.file("some.csv")));

  some.variables = {"score", "weight"};
  EXPECT_EQ(failureText([&] { exportCsv(dir.file("first"), dir.file("x.csv"), some); }),
            dir.file("first") + ": no variable WEIGHT");
  EXPECT_EQ(failureText([&] { exportCsv(dir.file("none"), dir.file("x.csv"), {}); }),
            dir.file("none") + ": no such data set (looked for .daA and .daH)");
  EXPECT_EQ(csvField("plain"), "plain");
  EXPECT_EQ(csvField(" lead"), "\" lead\"");
  EXPECT_EQ(csvField("a;b"), "\"a;b\"");
}

// Files in the form the export writes come back byte for byte through an import.
TEST(Export, ImportOfAnExportGivesTheSameFile) {
  const char* const files[] = {
      "x\n1\n\"\"\n3\n",                                              // one column, a missing value
      "t\nx\n\"\"\ny\n",                                              // the same for texts
      "x\n-0\n2.5\n",                                                 // a negative zero
      "id,t\n1,\" a\rb \"\n2,\"c\r\"\n3,\"\"\"q\"\"\"\n4,\"\tt\"\n",  // labels
      "a,,c\n1,2,3\n",                                                // a column without a name
      "\"\"\n\"\"\n5\n",                                              // the only column unnamed
      "t,u\n\"NA\",1\n\".\",2\n\"  \",3\n,4\n",                       // texts that look missing
      "\"a,b\",\"c;d\"\n1,2\n",                                       // names that need quotes
  };
  ScratchDir dir;
  for (const char* file : files) {
    importCsvText(dir, "set", file);
    exportCsv(dir.file("set"), dir.file("out.csv"), {});
    EXPECT_EQ(readFile(dir.file("out.csv")), file);
  }

  // Whole numbers are stored as integers: a negative zero among them becomes 0, and
  // the import says so.
  writeFile(dir.file("z.csv"), "x\n-0\n1\n");
  EXPECT_EQ(importFile(dir.file("z.csv"), dir.file("z"), {}).notes,
            std::vector<std::string>{"x: -0 is stored as 0 (the variable holds whole numbers)"});
}

// Exporting and importing again gives the same data set files, byte for byte: codes
// that don't sort like their labels, variable labels, the identifier and the weight,
// names made readable, texts, dates (through the description beside the CSV).
TEST(Export, ExportThenImportGivesTheSameDataSet) {
  ScratchDir dir;
  writeFile(dir.file("hh.dta"), fuzzing::writeStatFile({StatFormat::kStata, "households"}));
  writeFile(dir.file("odd.csv"), "sch.wide,code,t\n1.5,0012,\"a,b\"\n,0013,\n");
  const struct {
    const char* source;
    WriteOptions roles;
    ExportOptions options;
  } cases[] = {{"hh.dta", {"hhid", "share"}, {}},
               {"odd.csv", {"code", "sch.wide"}, {}},
               {"hh.dta", {"hhid", ""}, {.variables = {}, .codes = true}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    importFile(dir.file(c.source), dir.file("first"), {c.roles});
    exportCsv(dir.file("first"), dir.file("out.csv"), c.options);
    importFile(dir.file("out.csv"), dir.file("second"), {});
    for (const char* kind : {".daH", ".daD", ".msk", ".daL"})
      EXPECT_EQ(readFile(dir.file(std::string("second") + kind)),
                readFile(dir.file(std::string("first") + kind)))
          << kind;
  }
  // A description that does not fit is named.
  writeFile(dir.file("out.csv.json"),
            "{\"variables\": [{\"name\": \"URBAN\", "
            "\"categorical\": true, \"codes\": {\"x\": \"a\"}}]}");
  EXPECT_EQ(failureText([&] { importFile(dir.file("out.csv"), dir.file("third"), {}); }),
            dir.file("out.csv.json") + ": variables[0].codes: \"x\" is not a whole-number code");
}

TEST(Export, CombinedDataSetAtHouseholdLevelAndInfo) {
  ScratchDir dir;
  importCsvText(dir, "hh", "hhid,cluster\n1,10\n2,10\n3,20\n");
  importCsvText(dir, "cl", "cluster,zone,road\n10,hills,paved\n20,coast,track\n");
  combineDataSets({dir.file("hh"), dir.file("cl"), "cluster", dir.file("survey.daA")});
  // Each label file is read once, however many categorical variables it serves.
  int labelReads = 0;
  testing::ScopedFaultHook count([&](FileOperation operation, std::string_view path) {
    labelReads += operation == FileOperation::kOpenForReading && path.ends_with(".daL");
    return 0;
  });
  exportCsv(dir.file("survey"), dir.file("survey.csv"), {});
  EXPECT_EQ(readFile(dir.file("survey.csv")),
            "hhid,cluster,zone,road\n1,10,hills,paved\n2,10,hills,paved\n3,20,coast,track\n");
  EXPECT_EQ(labelReads, 1);  // only the clusters have labels

  const std::string info = describeDataSet(dir.file("survey.daA"));
  EXPECT_EQ(labelReads, 2);
  EXPECT_NE(info.find("level 0 (households) " + dir.file("hh.daH") + ": 3 records, 2 variables\n"),
            std::string::npos)
      << info;
  EXPECT_NE(
      info.find(
          "  ZONE                 C    2            2              1              2      2  \n"),
      std::string::npos)
      << info;
  EXPECT_NE(info.find("survey_clusters.daR: 2 entries\n"), std::string::npos) << info;

  // Describing levels whose headers are missing fails and leaves no file behind.
  ScratchDir other;
  writeFile(other.file("gone.daA"), "nohh.daH\nnocl.daH\nno.daR\n");
  EXPECT_EQ(
      failureText([&] { describeDataSet(other.file("gone.daA")); }),
      "DataArrayHeader::LoadHeader: \nCan't open file " + other.file("nohh.daH") + " to read.\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(other.path()), {}), 1);
}

}  // namespace
}  // namespace tessary::cli

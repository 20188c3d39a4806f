#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/area_estimates.h"
#include "support/csv_reader.h"
#include "support/data_set_writer.h"
#include "support/direct_run.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::failureText;
using testing::readFile;
using testing::ScopedEnv;
using testing::ScratchDir;

// R's api data, two-stage cluster sample apiclus2 (districts DNUM, then schools), as
// written by data/apiclus2_reference.R, imported with its weight PW stored.
struct ApiClus2 {
  ScratchDir dir;
  ScopedEnv temporary{"TMPDIR", dir.path().c_str()};

  ApiClus2() {
    ImportedTable table = readCsvFile(TESSARY_TEST_SOURCE_DIR "/cli/data/apiclus2.csv");
    writeDataSet(table, dir.file("api"), {"", "pw"});
  }

  DirectOptions options() const {
    DirectOptions o;
    o.data = dir.file("api.daH");
    o.welfare = "API00";
    o.cluster = "DNUM";
    o.line = 700;
    o.by = "STYPE";
    o.out = dir.file("out");
    return o;
  }

  nlohmann::json run(const DirectOptions& o) const {
    runDirect(o);
    return nlohmann::json::parse(readFile(o.out + "/estimates.json"));
  }
};

struct Expected {
  const char* area;
  std::uint64_t households;
  double persons, value, standardError;
};

void expectFigures(const nlohmann::json& areas, const char* measure,
                   const std::vector<Expected>& expected) {
  ASSERT_EQ(areas.size(), expected.size());
  for (std::size_t a = 0; a < expected.size(); ++a) {
    const nlohmann::json& row = areas[a];
    const Expected& e = expected[a];
    SCOPED_TRACE(std::string(measure) + " in area " + e.area);
    EXPECT_EQ(row["area"], e.area);
    EXPECT_EQ(row["households"], e.households);
    EXPECT_EQ(row["persons"], e.persons);
    EXPECT_NEAR(row[measure].get<double>(), e.value, 1e-11 * std::fabs(e.value));
    EXPECT_NEAR(row[std::string(measure) + "_se"].get<double>(), e.standardError,
                1e-11 * e.standardError + 1e-12);
  }
}

// The figures are R survey 4.1.1's svyby(..., svymean) on svydesign(id=~dnum,
// weights=~pw): clusters as primary sampling units with replacement, areas as domains.
// Its standard errors equal those of the two-stage design id=~dnum+snum, which
// without population sizes also keeps only the first stage.
TEST(Direct, MeanAndPovertyOfSchoolTypesAgreeWithR) {
  ApiClus2 api;
  const nlohmann::json areas = api.run(api.options())["areas"];
  expectFigures(areas, "mean",
                {{"E", 83, 83, 692.810400866739, 30.2824395441943},
                 {"H", 20, 20, 598.340659340659, 16.9649952988228},
                 {"M", 23, 23, 642.352000000000, 45.3436334600273}});
  expectFigures(areas, "fgt0",
                {{"E", 83, 83, 0.522210184182015, 0.1142182090005015},
                 {"H", 20, 20, 0.934065934065934, 0.0538209214906759},
                 {"M", 23, 23, 0.636000000000000, 0.1540921210451889}});
  expectFigures(areas, "fgt1",
                {{"E", 83, 83, 0.0919888562142083, 0.0223936608511860},
                 {"H", 20, 20, 0.1559105180533752, 0.0173647831875494},
                 {"M", 23, 23, 0.1359942857142857, 0.0407979651975307}});
  expectFigures(areas, "fgt2",
                {{"E", 83, 83, 0.0217279633847038, 0.00612865550050248},
                 {"H", 20, 20, 0.0372868019735367, 0.00741043061623848},
                 {"M", 23, 23, 0.0313785877551020, 0.01082614820423965}});
}

TEST(Direct, AreasFromDistrictNumbersPersonsAndStrataAgreeWithR) {
  ApiClus2 api;
  DirectOptions digits = api.options();
  digits.by.clear();
  digits.areaDigits = 2;  // svyby(~api00, ~I(dnum %/% 100), ...)
  const nlohmann::json byHundreds = api.run(digits)["areas"];
  ASSERT_EQ(byHundreds.size(), 8u);
  const double se[8] = {33.9447514918898, 74.3225025481249, 15.6062757996981, 0,
                        66.5443981154272, 82.1996411173951, 14.6603933787383, 36.3049209615999};
  for (std::size_t a = 0; a < 8; ++a) {
    EXPECT_EQ(byHundreds[a]["area"], std::to_string(a));
    EXPECT_NEAR(byHundreds[a]["mean_se"].get<double>(), se[a], 1e-11 * se[a] + 1e-10);
  }
  EXPECT_NEAR(byHundreds[5]["mean"].get<double>(), 688.013953488372, 1e-9);

  // svyby(~I(api00 * enroll), ~stype, denominator = ~enroll, ..., svyratio, na.rm = TRUE):
  // the six schools without enrolment stay in the design but in no area.
  DirectOptions persons = api.options();
  persons.persons = "ENROLL";
  expectFigures(api.run(persons)["areas"], "mean",
                {{"E", 79, 26487, 693.343097761612, 39.4499093628358},
                 {"H", 20, 18858, 590.940174150408, 14.5299614756940},
                 {"M", 21, 14207, 637.288153178646, 54.0447643791408}});

  // Counties as strata, 17 of them with a single district: R with
  // options(survey.lonely.psu = "adjust").
  DirectOptions strata = api.options();
  strata.strata = "CNAME";
  const nlohmann::json stratified = api.run(strata)["areas"];
  expectFigures(stratified, "mean",
                {{"E", 83, 83, 692.810400866739, 27.5841901207161},
                 {"H", 20, 20, 598.340659340659, 17.0751822515384},
                 {"M", 23, 23, 642.352000000000, 44.1901237693219}});
  expectFigures(stratified, "fgt0",
                {{"E", 83, 83, 0.522210184182015, 0.1042630284605482},
                 {"H", 20, 20, 0.934065934065934, 0.0578159588231208},
                 {"M", 23, 23, 0.636000000000000, 0.1433128708246402}});
}

TEST(Direct, WeightsAndFilterFollowTheToolsConventions) {
  ApiClus2 api;
  DirectOptions stored = api.options(), named = api.options(), unweighted = api.options();
  named.weight = "PW";
  unweighted.unweighted = true;
  stored.out += "1";
  named.out += "2";
  unweighted.out += "3";
  EXPECT_EQ(runDirect(stored), "Wrote 3 areas to " + stored.out +
                                   ": 126 households in 40 clusters, 0 left out; "
                                   "weight PW");
  runDirect(named);
  runDirect(unweighted);
  EXPECT_EQ(readFile(stored.out + "/estimates.csv"), readFile(named.out + "/estimates.csv"));
  EXPECT_NE(readFile(unweighted.out + "/estimates.json").find("\"weight\": null"),
            std::string::npos);

  // A subpopulation, as R's svyby(~api00, ~stype, subset(design, api00 >= 600), svymean):
  // the schools left out keep their districts in the design.
  DirectOptions filtered = api.options();
  filtered.filter = "API00>=600";  // kept where exactly 1
  const nlohmann::json result = api.run(filtered);
  EXPECT_EQ(result["run"]["households_left_out"], 29);
  expectFigures(result["areas"], "mean",
                {{"E", 68, 68, 768.512618296530, 17.6299835583285},
                 {"H", 12, 12, 668.294117647059, 15.9250094597020},
                 {"M", 17, 17, 756.942622950820, 27.8278217060782}});
  filtered.filter = "STYPE";  // codes 1 (E), 2 and 3: only E is kept
  EXPECT_EQ(api.run(filtered)["areas"].size(), 1u);
}

TEST(Direct, RefusesBadRequestsAndWritesNothing) {
  ApiClus2 api;
  const auto failure = [&](auto change) {
    DirectOptions o = api.options();
    change(o);
    return failureText([&] { runDirect(o); });
  };
  EXPECT_EQ(failure([](DirectOptions& o) { o.areaDigits = 2; }),
            "give either --by or --area-digits");
  EXPECT_EQ(failure([](DirectOptions& o) { o.line = 0; }),
            "give a poverty line above zero (--line)");
  EXPECT_EQ(failure([](DirectOptions& o) { o.weight = "PW - 100"; }),
            "PW - 100 is negative (-81.075000000000003) for household 1");
  EXPECT_EQ(failure([](DirectOptions& o) { o.cluster = "DNUM / 0 * 0"; }),
            "DNUM / 0 * 0 is missing for household 1");
  EXPECT_EQ(failure([](DirectOptions& o) { o.cluster = "1"; }),
            "standard errors need at least two clusters; the sample has 1");
  EXPECT_EQ(failure([](DirectOptions& o) {
              o.by.clear();
              o.areaDigits = 1;
              o.cluster = "DNUM + 0.5";
            }),
            "DNUM + 0.5: the identifier of household 1 (15.5) is not a whole number from 0 to "
            "2^53, so --area-digits can't shorten it");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(api.dir.path()), {}), 4)
      << "only the imported data array";
}

TEST(AreaEstimates, MissingFiguresAreEmptyCellsAndNulls) {
  AreaEstimate row;
  row.area = "North, upper";
  row.households = 3;
  row.persons = 7.5;
  row.mean = {812.25, MISSING};
  row.fgt0 = {0.5, 0.25};
  EXPECT_EQ(areaEstimatesCsv({row}),
            "area,households,persons,mean,mean_se,fgt0,fgt0_se,fgt1,fgt1_se,fgt2,fgt2_se\n"
            "\"North, upper\",3,7.5,812.25,,0.5,0.25,,,,\n");
  EXPECT_EQ(areaEstimatesJson({row}, {{"command", "direct"}}).dump(),
            "{\"run\":{\"command\":\"direct\"},\"areas\":[{\"area\":\"North, upper\","
            "\"households\":3,\"persons\":7.5,\"mean\":812.25,\"mean_se\":null,\"fgt0\":0.5,"
            "\"fgt0_se\":0.25,\"fgt1\":null,\"fgt1_se\":null,\"fgt2\":null,\"fgt2_se\":null}]}");
}

}  // namespace
}  // namespace tessary::cli

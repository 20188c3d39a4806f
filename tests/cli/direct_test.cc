#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "data/data_set_writer.h"
#include "import/csv_reader.h"
#include "support/area_estimates.h"
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

struct AgreementCase {
  const char* what;
  void (*change)(DirectOptions&);
  const char* measure;
  std::vector<Expected> rows;
};

void byStype(DirectOptions&) {}

// The figures are R survey 4.1.1's svyby(..., svymean) on svydesign(id=~dnum,
// weights=~pw), as data/apiclus2_reference.R prints them: clusters as primary sampling
// units with replacement, areas as domains. Its standard errors equal those of the
// two-stage design id=~dnum+snum, which without population sizes also keeps only the
// first stage.
const AgreementCase kAgreement[] = {
    {"mean api00 by stype",
     byStype,
     "mean",
     {{"E", 83, 83, 692.810400866739, 30.2824395441943},
      {"H", 20, 20, 598.340659340659, 16.9649952988228},
      {"M", 23, 23, 642.352000000000, 45.3436334600273}}},
    {"api00 < 700 by stype",
     byStype,
     "fgt0",
     {{"E", 83, 83, 0.522210184182015, 0.1142182090005015},
      {"H", 20, 20, 0.934065934065934, 0.0538209214906759},
      {"M", 23, 23, 0.636000000000000, 0.1540921210451889}}},
    {"pmax(0, (700 - api00) / 700) by stype",
     byStype,
     "fgt1",
     {{"E", 83, 83, 0.0919888562142083, 0.0223936608511860},
      {"H", 20, 20, 0.1559105180533752, 0.0173647831875494},
      {"M", 23, 23, 0.1359942857142857, 0.0407979651975307}}},
    {"pmax(0, (700 - api00) / 700)^2 by stype",
     byStype,
     "fgt2",
     {{"E", 83, 83, 0.0217279633847038, 0.00612865550050248},
      {"H", 20, 20, 0.0372868019735367, 0.00741043061623848},
      {"M", 23, 23, 0.0313785877551020, 0.01082614820423965}}},
    {"mean api00 by dnum %/% 100",
     [](DirectOptions& o) {
       o.by.clear();
       o.areaDigits = 2;
     },
     "mean",
     {{"0", 5, 5, 730.000000000000, 33.9447514918898},
      {"1", 16, 16, 655.625000000000, 74.3225025481249},
      {"2", 13, 13, 643.989473684211, 15.6062757996981},
      {"3", 4, 4, 924.250000000000, 0},
      {"4", 15, 15, 711.466666666667, 66.5443981154272},
      {"5", 30, 30, 688.013953488372, 82.1996411173951},
      {"6", 24, 24, 629.445098039216, 14.6603933787383},
      {"7", 19, 19, 736.358333333333, 36.3049209615999}}},
    // svyratio(~I(api00 * enroll), ~enroll, na.rm = TRUE): the six schools without
    // enrolment stay in the design but in no area.
    {"api00 per enrolled pupil by stype",
     [](DirectOptions& o) { o.persons = "ENROLL"; },
     "mean",
     {{"E", 79, 26487, 693.343097761612, 39.4499093628358},
      {"H", 20, 18858, 590.940174150408, 14.5299614756940},
      {"M", 21, 14207, 637.288153178646, 54.0447643791408}}},
    // A subpopulation: the schools filtered out keep their districts in the design.
    {"mean api00 by stype in subset(api00 >= 600)",
     [](DirectOptions& o) { o.filter = "API00>=600"; },
     "mean",
     {{"E", 68, 68, 768.512618296530, 17.6299835583285},
      {"H", 12, 12, 668.294117647059, 15.9250094597020},
      {"M", 17, 17, 756.942622950820, 27.8278217060782}}},
    // Counties as strata, 17 of the 26 with a single district, under R's
    // options(survey.lonely.psu = "adjust").
    {"mean api00 by stype, strata cname",
     [](DirectOptions& o) { o.strata = "CNAME"; },
     "mean",
     {{"E", 83, 83, 692.810400866739, 27.5841901207161},
      {"H", 20, 20, 598.340659340659, 17.0751822515384},
      {"M", 23, 23, 642.352000000000, 44.1901237693219}}}};

TEST(Direct, EstimatesAndStandardErrorsAgreeWithR) {
  ApiClus2 api;
  for (const AgreementCase& c : kAgreement) {
    DirectOptions o = api.options();
    c.change(o);
    const nlohmann::json areas = api.run(o)["areas"];
    ASSERT_EQ(areas.size(), c.rows.size()) << c.what;
    for (std::size_t a = 0; a < c.rows.size(); ++a) {
      const nlohmann::json& row = areas[a];
      const Expected& e = c.rows[a];
      SCOPED_TRACE(std::string(c.what) + ", area " + e.area);
      EXPECT_EQ(row["area"], e.area);
      EXPECT_EQ(row["households"], e.households);
      EXPECT_EQ(row["persons"], e.persons);
      EXPECT_NEAR(row[c.measure].get<double>(), e.value, 1e-11 * std::fabs(e.value));
      EXPECT_NEAR(row[std::string(c.measure) + "_se"].get<double>(), e.standardError,
                  1e-11 * e.standardError + 1e-10);
    }
  }
}

TEST(Direct, StoredAndNamedWeightsAgree) {
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

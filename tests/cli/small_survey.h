// A combined data array of four households in two or three clusters, imported from
// CSV text in a scratch directory that is also the library's temporary directory.
#pragma once

#include <string>

#include "data/combine.h"
#include "data/data_set_writer.h"
#include "import/csv_reader.h"
#include "test_support.h"

namespace tessary::cli {

struct SmallSurvey {
  tessary::testing::ScratchDir dir;
  tessary::testing::ScopedEnv temporary{"TMPDIR", dir.path().c_str()};

  explicit SmallSurvey(const std::string& clustersCsv) {
    importCsv("hh",
              "hhid,cluster,size,educ\n1,1,4,primary\n2,1,6,none\n3,2,3,secondary\n"
              "4,2,5,primary\n");
    importCsv("cl", clustersCsv);
    CombineOptions options;
    options.households = dir.file("hh");
    options.clusters = dir.file("cl");
    options.key = "cluster";
    options.out = dir.file("survey.daA");
    combineDataSets(options);
  }
  void importCsv(const std::string& name, const std::string& csv) {
    tessary::testing::writeFile(dir.file(name + ".csv"), csv);
    ImportedTable table = readCsvFile(dir.file(name + ".csv"));
    writeDataSet(table, dir.file(name), {});
  }
};

}  // namespace tessary::cli

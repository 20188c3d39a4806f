// A small survey on disk: households (level 0) in clusters (level 1) tied by a data
// reference and described by "survey.daA", in a scratch directory that is also the
// library's temporary directory; plus a project file naming it.
#pragma once

#include <cmath>
#include <cstdint>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "regression/regression_trace.h"
#include "test_support.h"

namespace tessary::testing {

struct SurveyFixture {
  ScratchDir dir;
  ScopedEnv temporary{"TMPDIR", dir.path().c_str()};
  DataArray levels[2];
  std::ostringstream traced;  // the library's trace lines while the fixture lives
  std::ostream* previousTrace = setTraceStream(&traced);

  // householdsPerCluster[c] households belong to cluster c.
  explicit SurveyFixture(const std::vector<std::uint32_t>& householdsPerCluster) {
    const auto households =
        std::accumulate(householdsPerCluster.begin(), householdsPerCluster.end(), 0u);
    createDataArray(dir.file("hh.daH"), households);
    createDataArray(dir.file("cl.daH"), static_cast<std::uint32_t>(householdsPerCluster.size()));
    std::vector<DataRefEntry> entries;
    for (std::uint32_t count : householdsPerCluster)
      entries.push_back({1, count, false, static_cast<double>(entries.size() + 1)});
    writeDataRef(dir.file("cl.daR"), 1.0, entries);
    writeCombinedDescription(daa(), "hh.daH", "cl.daH", "cl.daR");
    for (int level = 0; level < 2; ++level) {
      levels[level].open(dir.file(level == 0 ? "hh.daH" : "cl.daH"));
      levels[level].loadHeader();
    }
  }

  ~SurveyFixture() { setTraceStream(previousTrace); }

  std::string daa() const { return dir.file("survey.daA"); }

  // Stores a variable; missing values become holes.
  void add(int level, const std::string& name, const std::vector<double>& values, char kind = 'N',
           const std::string& label = "") {
    DataArray& data = levels[level];
    data.addVariable("", name, label, kind, -1, -1, -1, 0, 2);
    std::vector<double> stored = values;
    data.SetValue(name, stored);
    std::vector<std::uint8_t> holes(data.maskBytes, 0);
    for (std::size_t i = 0; i < values.size(); ++i)
      if (!std::isfinite(values[i])) holes[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
    data.SetMask(name, holes);
    data.saveHeader();
  }

  // The household header's cluster identifier and weight variable names.
  void name(const std::string& clusterId, const std::string& weight) {
    levels[0].headerTextA = makeTextField(clusterId);
    levels[0].headerTextB = makeTextField(weight);
    levels[0].saveHeader();
  }

  void labels(int level, const std::string& sections) {
    writeFile(dir.file(level == 0 ? "hh.daL" : "cl.daL"), sections);
  }

  // A project file naming the survey and selecting `varList` at `positions`.
  std::string project(const std::string& varList, const std::string& positions,
                      const std::string& extra = "") const {
    const std::string path = dir.file("proj.ini");
    writeFile(path, "[PROJECT]\nType=1\n[DataArray]\nSurvey=survey.daA\n[SelectedVars]\nVarList=" +
                        varList + "\nSPosition=" + positions + "\n" + extra);
    return path;
  }
};

}  // namespace tessary::testing

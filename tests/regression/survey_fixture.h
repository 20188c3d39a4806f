// Surveys on disk for the regression tests: households (level 0) in clusters (level 1)
// tied by a data reference and described by "survey.daA", in a scratch directory that
// is also the library's temporary directory, with a project file naming them; and a
// random survey of 200 households with a model file built from it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "data_fixture.h"
#include "frame/trace.h"
#include "regression/least_squares_reference.h"
#include "regression/regression.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary::testing {

// The library's trace lines while it lives.
struct TraceCapture {
  std::ostringstream text;
  std::ostream* previous = setTraceStream(&text);
  ~TraceCapture() { setTraceStream(previous); }
};

struct SurveyFixture {
  ScratchDir dir;
  ScopedEnv temporary{"TMPDIR", dir.path().c_str()};
  TraceCapture traced;  // the library's trace lines while the fixture lives

  // householdsPerCluster[c] households belong to cluster c.
  explicit SurveyFixture(const std::vector<std::uint32_t>& householdsPerCluster) {
    createDataArray(dir.file("hh.daH"),
                    std::accumulate(householdsPerCluster.begin(), householdsPerCluster.end(), 0u));
    createDataArray(dir.file("cl.daH"), static_cast<std::uint32_t>(householdsPerCluster.size()));
    std::vector<DataRefEntry> entries;
    for (std::uint32_t count : householdsPerCluster)
      entries.push_back({1, count, false, static_cast<double>(entries.size() + 1)});
    writeDataRef(dir.file("cl.daR"), 1.0, entries);
    writeCombinedDescription(daa(), "hh.daH", "cl.daH", "cl.daR");
  }

  std::string daa() const { return dir.file("survey.daA"); }

  // Stores a variable at level 0 (households) or 1 (clusters); missing values become holes.
  void add(int level, const std::string& name, std::vector<double> values, char kind = 'N',
           const std::string& label = "") {
    DataSet data;
    data.openDataArray(dir.file(level == 0 ? "hh.daH" : "cl.daH"));
    storeVariable(data, name, std::move(values), kind, label);
  }

  // The household header's cluster identifier and weight variable names.
  void name(const std::string& clusterId, const std::string& weight) {
    DataArray households;
    households.open(dir.file("hh.daH"));
    households.loadHeader();
    households.headerTextA = makeTextField(clusterId);
    households.headerTextB = makeTextField(weight);
    households.saveHeader();
  }

  // A project file naming the survey and selecting `varList` at `positions`.
  std::string project(const std::string& varList, const std::string& positions) const {
    writeFile(dir.file("proj.ini"),
              "[PROJECT]\nType=1\n[DataArray]\nSurvey=survey.daA\n"
              "[SelectedVars]\nVarList=" +
                  varList + "\nSPosition=" + positions + "\n");
    return dir.file("proj.ini");
  }
};

// Reads a model file, lets `change` alter it and writes it back.
template <class Change>
void editModel(const std::string& path, Change change) {
  Regression model;
  model.loading(path);
  change(model);
  model.saving(path);
}

// Numeric X1 and X2, a categorical D (codes 1-3), a cluster variable Z, the dependent
// Y and the weight W, on disk and in memory.
struct ModelSurvey {
  SurveyFixture survey{{60, 80, 60}};
  std::vector<double> x1, x2, d, z, y, w, clusterZ{2.5, -1.0, 4.0};
  std::string model = survey.dir.file("y.mdl");

  explicit ModelSurvey(int yhatLevel = 0) {
    std::mt19937_64 random(7);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int i = 0; i < 200; ++i) {
      x1.push_back(normal(random));
      x2.push_back(uniform(random));
      d.push_back(1 + i % 3);
      z.push_back(clusterZ[i < 60 ? 0 : i < 140 ? 1 : 2]);
      w.push_back(0.5 + 3 * uniform(random));
      y.push_back(1 + 2 * x1.back() - x2.back() + 0.5 * d.back() + 0.3 * z.back() + normal(random));
    }
    survey.add(0, "X1", x1, 'N', "first");
    survey.add(0, "X2", x2);
    survey.add(0, "D", d, 'C');
    survey.add(0, "Y", y);
    survey.add(0, "W", w);
    survey.add(1, "Z", clusterZ);
    writeFile(survey.dir.file("hh.daL"), "[D]\n1=North\n2=East\n3=South\n");
    survey.name("", "W");
    const std::string project = survey.project("X1,X2,D,Z", "0,0,0,1");
    buildModelFromCombinedDataset(project.c_str(), model.c_str(), "Y", yhatLevel);
  }

  // Marks exactly the named records, with a condition and a weight ("" for none).
  void mark(const std::vector<std::string>& names, const std::string& condition = "",
            const std::string& weight = "W") {
    editModel(model, [&](Regression& edit) {
      for (Regressor& record : edit.regressors)
        record.flags = record.flags & kFixed                                 ? record.flags
                       : std::count(names.begin(), names.end(), record.name) ? kInModel
                                                                             : 0;
      edit.condition = condition;
      edit.Weight = weight;
    });
  }

  // The rows of `columns` (0 the intercept, 1-3 the dummies D_1 to D_3, 4 X1, 5 X2, 6 Z,
  // 7 Y, 8 W) over the records `keep` accepts.
  template <class Keep>
  std::vector<std::vector<double>> rows(const std::vector<int>& columns, Keep keep) const {
    std::vector<std::vector<double>> out;
    for (std::size_t i = 0; i < 200; ++i) {
      const double all[] = {1,
                            d[i] == 1 ? 1.0 : 0,
                            d[i] == 2 ? 1.0 : 0,
                            d[i] == 3 ? 1.0 : 0,
                            x1[i],
                            x2[i],
                            z[i],
                            y[i],
                            w[i]};
      if (!keep(i)) continue;
      out.emplace_back();
      for (int c : columns)
        out.back().push_back(all[c]);
    }
    return out;
  }
  // The weighted reference fit of Y on `columns` over the records `keep` accepts.
  template <class Keep>
  LeastSquaresFit fit(const std::vector<int>& columns, Keep keep) const {
    std::vector<double> dependent, weights;
    for (const auto& row : rows({7, 8}, keep))
      dependent.push_back(row[0]), weights.push_back(row[1]);
    return leastSquares(rows(columns, keep), dependent, weights);
  }

  std::unique_ptr<Regression> read() const {
    auto fitted = std::make_unique<Regression>();
    fitted->loading(model);
    return fitted;
  }
};

}  // namespace tessary::testing

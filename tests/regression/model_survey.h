// A random survey of 200 households in three clusters with a model file built from
// it: numeric X1 and X2, a categorical D (codes 1-3), a cluster variable Z, the
// dependent Y and the weight W; and the same values in memory for reference fits.
#pragma once

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "regression/regression.h"
#include "regression/survey_fixture.h"
#include "tessary.h"

namespace tessary::testing {

struct ModelSurvey {
  SurveyFixture survey{{60, 80, 60}};
  std::vector<double> x1, x2, d, z, y, w, clusterZ{2.5, -1.0, 4.0};
  std::string model = survey.dir.file("y.mdl");

  explicit ModelSurvey(int yhatLevel = 0, unsigned seed = 7) {
    std::mt19937_64 random(seed);
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
    survey.labels(0, "[D]\n1=North\n2=East\n3=South\n");
    survey.name("", "W");
    const std::string project = survey.project("X1,X2,D,Z", "0,0,0,1");
    buildModelFromCombinedDataset(project.c_str(), model.c_str(), "Y", yhatLevel);
  }

  // Marks the named records in the model (and no others), with a condition and the
  // weight variable ("" for none).
  void mark(const std::vector<std::string>& names, const std::string& condition = "",
            const std::string& weight = "W") {
    Regression edit;
    edit.loading(model);
    for (Regressor& record : edit.regressors) {
      record.flags &= static_cast<std::uint8_t>(~kInModel);
      for (const std::string& name : names)
        if (record.name == name) record.flags |= kInModel;
    }
    edit.condition = condition;
    edit.Weight = weight;
    edit.saving(model);
  }

  std::unique_ptr<Regression> read() const {
    auto fitted = std::make_unique<Regression>();
    fitted->loading(model);
    return fitted;
  }
};

}  // namespace tessary::testing

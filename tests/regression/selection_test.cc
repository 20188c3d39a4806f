// Variable selection: bordered trial fits against long-double refits, chosen models and
// step reports of runs on exact designs, the guards; the by-group fits.
#include <gtest/gtest.h>

#include <map>

#include "regression/least_squares_reference.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

// A model of the intercept and one record per flag digit ("0312"), named `names`.
void writeModel(const std::string& path, const std::string& flags, int nObs, double totalWeight,
                const std::vector<std::string>& names = {}) {
  testing::editModel(path, [&](Regression& m) {
    m.regressors.assign(flags.size() + 1, Regressor{});
    m.regressors[0].name = "_intercept_";
    m.regressors[0].flags = 3;
    for (std::size_t i = 0; i < flags.size(); ++i) {
      m.regressors[i + 1].name = names.empty() ? "X" : names[i];
      m.regressors[i + 1].flags = static_cast<std::uint8_t>(flags[i] - '0');
    }
    m.nObs = nObs, m.totalWeight = totalWeight, m.LHS = "Y", m.status = 0;
  });
}

std::string flagsOf(const std::string& path) {
  Regression model;
  model.loading(path);
  std::string flags;
  for (const Regressor& record : model.regressors)
    flags += static_cast<char>('0' + record.flags);
  return flags;
}

// Every candidate bordered on one factorisation: its partial F is its squared t in a
// long-double refit of the model with it (300 random weighted rows: the intercept, nine
// candidates with the fifth fixed in, then Y).
TEST(Selection, TrialFitsAgreeWithLongDoubleRefits) {
  testing::TraceCapture quiet;
  testing::ScratchDir dir;
  const std::string file = dir.file("m.mdl");
  std::mt19937_64 random(1);
  std::normal_distribution<double> normal;
  std::uniform_real_distribution<double> uniform(0.5, 3.0);
  std::vector<std::vector<double>> x;
  std::vector<double> y, w, packed(66, 0.0);
  for (int t = 0; t < 300; ++t) {
    std::vector<double> r(10, 1.0);
    for (int c = 1; c < 10; ++c)
      r[c] = normal(random);
    y.push_back(0.5 * r[3] + 0.4 * r[5] + r[7] + normal(random));
    w.push_back(uniform(random));
    x.push_back(r);
    r.push_back(y.back());
    for (int i = 0, k = 0; i < 11; ++i)
      for (int j = i; j < 11; ++j)
        packed[k++] += w.back() * r[i] * r[j];
  }
  writeModel(file, "000030000", 300, packed[0]);
  Regression trial;
  trial.prepare(file, packed.data(), "");
  trial.selected[2] = 1;
  ASSERT_TRUE(trial.factorTrial(3));
  for (int c : {1, 2, 4, 9}) {
    trial.selected[2] = c;
    ASSERT_TRUE(trial.estimateWith(3));
    std::vector<std::vector<double>> rows;
    for (const auto& r : x)
      rows.push_back({r[0], r[5], r[c]});
    const testing::LeastSquaresFit fit = testing::leastSquares(rows, y, w);
    const long double squaredT = fit.beta[2] * fit.beta[2] / (fit.stdErr[2] * fit.stdErr[2]);
    EXPECT_LE(std::fabs(trial.lastF - squaredT), 1e-9 * trial.lastF) << c;
  }
  EXPECT_EQ(trial.estimationCount, 4);
}

// The SSCP of 100 rows whose columns combine orthogonal basis vectors of sums of squares
// 100 (basis 0 the constant).
std::vector<double> exactSscp(std::vector<std::vector<double>> columns) {
  for (auto& column : columns)
    column.resize(10);
  std::vector<double> packed;
  for (std::size_t i = 0; i < columns.size(); ++i)
    for (std::size_t j = i; j < columns.size(); ++j)
      packed.push_back(
          100 * std::inner_product(columns[i].begin(), columns[i].end(), columns[j].begin(), 0.0));
  return packed;
}

// The titles of a report, each ended by "|": "Variable " left out of step titles, "I"
// and "F" for the first and last of backward elimination, "." for the closing one at
// level 0.05. Step reports, and only they, must show the levels and Type II columns.
std::string titlesOf(const std::string& report) {
  std::map<std::string, std::string> fixed = {
      {"Initial Model for Backward Regression", "I"},
      {"Final model from backward selection", "F"},
      {"No other regressor met the 0.05 significance level for entry into the model.", "."}};
  std::string titles;
  for (std::size_t at = 0, end; (at = report.find("*****  ", at)) != std::string::npos; at = end) {
    end = report.find("  *****", at);
    const std::string title = report.substr(at + 7, end - at - 7);
    const std::string block = report.substr(end, report.find("*****  ", end) - end);
    const bool step = title.find("No other") != 0 && title.find("Final") != 0;
    EXPECT_EQ(block.find("   |  SL.Entry ") != std::string::npos, step);
    EXPECT_EQ(block.find("Type II SS   F Value   Prob>F   Label") != std::string::npos, step);
    titles += (title.find("Variable ") == 0 ? title.substr(9)
               : fixed.count(title) != 0    ? fixed[title]
                                            : title) +
              "|";
  }
  return titles;
}

TEST(Selection, StepReportsOfFullAndOneStepRuns) {
  testing::TraceCapture quiet;
  testing::ScratchDir dir;
  const std::string file = dir.file("m.mdl"), report = dir.file("r.txt");
  // A = B + 0.8 D + a part Y lacks; N1, N2 (F near 1, 2), FX weak; FO strong; DUP = B.
  // clang-format off
  std::vector<double> packed = exactSscp({{1}, {0, 1, 0.8, 0.3}, {0, 1}, {0, 0, 1}, {0, 0, 0, 0, 1},
      {0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 1}, {0, 1},
      {5, 1, 1, 0, 0.055, 0.077, 0.005, 0.5, 0.2}});
  const struct {
    char procedure;
    std::string flags;  // empty: go on from the file the case before left
    bool oneStep;
    double entry;
    int fits;  // checked when not 0
    std::string chosen, titles;
  } cases[] = {
      {'F', "00000322", false, 0.05, 0, "311100322", "A added|D added|B added|.|"},
      {'S', "00000322", false, 0.05, 0, "301100322", "A added|D added|A dropped|B added|.|"},
      // N2, then N1 enter at 0.5 and leave at once; N1 brings less than N2 had: stop.
      // Trials and fits by step: 5+1, 4+1, 3+1+1 (refit), 2+1, 2+1; the final refit.
      {'S', "00000322", false, 0.5, 23, "301100322", "A added|D added|A dropped|B added|No other "
       "regressor met the 0.5 significance level for entry into the model.|"},
      {'B', "11111322", false, 0.05, 0, "301100322", "I|A removed|N1 removed|N2 removed|F|"},
      // From the intercept alone: every record but the fixed-out FO and the singular DUP.
      {'B', "00000020", false, 0.05, 0, "301100020", "I|A removed|FX removed|N1 removed|N2 removed|F|"},
      {'F', "00000322", true, 0.05, 0, "310000322", "A added|.|"},
      {'F', "", true, 0.05, 0, "310100322", "D added|.|"},
      {'B', "11111322", true, 0.05, 0, "301111322", "I|F|"},
      // Nothing to try: an invalid model, the file and the report untouched.
      {'F', "33333322", false, 0.05, 0, "", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    if (!c.flags.empty())
      writeModel(file, c.flags, 100, 100, {"A", "B", "D", "N1", "N2", "FX", "FO", "DUP"});
    testing::editModel(file, [&](Regression& m) { m.slEntry = c.entry; });
    testing::writeFile(report, "");
    const auto run = c.procedure == 'F'   ? &Regression::forward
                     : c.procedure == 'S' ? &Regression::stepwise
                                          : &Regression::backward;
    Regression model;
    const std::string before = testing::readFile(file);
    ASSERT_EQ((model.*run)(file, packed.data(), report, c.oneStep), c.chosen.empty() ? -1 : 0);
    EXPECT_EQ(c.chosen.empty() ? testing::readFile(file) : flagsOf(file),
              c.chosen.empty() ? before : c.chosen);
    EXPECT_EQ(titlesOf(testing::readFile(report)), c.titles);
    EXPECT_EQ(c.fits == 0 ? 0 : model.estimationCount, c.fits);
  }
  // The exports do nothing, and show nothing, unless the total weight is above 0.
  const std::string before = testing::readFile(file);
  testing::MessageRecorder boxes;
  for (auto run : {ForwardRegression, StepwiseRegression, BackwardRegression})
    for (double total : {0.0, -1.0, std::nan("")}) {
      packed[0] = total;
      EXPECT_EQ(run(file.c_str(), packed.data(), report.c_str(), 0), -1);
      EXPECT_EQ(run(file.c_str(), nullptr, report.c_str(), 0), -1);
    }
  EXPECT_EQ(
      std::make_tuple(testing::readFile(file), testing::readFile(report), boxes.messages().size()),
      std::make_tuple(before, std::string(), 0u));
}

// The leave-one-group-out fits against independent weighted fits without each group.
TEST(ByGroup, EachBlockIsTheWeightedFitWithoutItsCategory) {
  testing::ModelSurvey s;
  std::vector<double> g;  // 3 exactly where D is 3: without it D_3 is all zero, singular
  for (std::size_t i = 0; i < 200; ++i)
    g.push_back(s.d[i] == 3 ? 3 : i < 100 ? 1 : 2);
  s.survey.add(0, "G", g, 'C');
  s.mark({"D_2", "D_3", "X1", "X2", "Z"}, "X2>0.1");
  const std::string before = testing::readFile(s.model);
  std::vector<double> results(3 * 20, -7.0);
  ASSERT_EQ(OLSbyVar(s.survey.daa().c_str(), s.model.c_str(), "G", results.data()), 2);
  for (int code = 1; code <= 2; ++code) {
    const auto expected = testing::refitFigures(code, s.fit({0, 2, 3, 4, 5, 6}, [&](std::size_t i) {
      return s.x2[i] > 0.1 && g[i] != code;
    }));
    for (int i = 0; i < 20; ++i)
      EXPECT_NEAR(results[(code - 1) * 20 + i], expected[i], 1e-10 * std::fabs(expected[i])) << i;
  }
  EXPECT_EQ(results[40], -7.0);  // nothing beyond the two blocks
  EXPECT_EQ(testing::readFile(s.model), before);
  testing::MessageRecorder boxes;
  EXPECT_EQ(OLSbyVar(s.survey.daa().c_str(), s.model.c_str(), "X1", results.data()), -2);
  EXPECT_EQ(boxes.messages().at(0).caption + ": " + boxes.messages().at(0).text,
            "OLS regression: Regression::OLSby():\nX1 is not categorical");
}

}  // namespace
}  // namespace tessary

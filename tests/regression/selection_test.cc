// Variable selection: bordered trial fits and chosen models against a brute-force
// selection by long-double refits, step reports of runs on exact designs, the guards;
// the by-group fits.
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

// Selection by long-double refits of 300 random weighted rows (the intercept, 30
// candidates, 2 nearly the sum of the later 20 and 21, and Y) under the same rules: F
// tails on 1 and n - m - 2 degrees of freedom against the levels; on equal F the first.
struct BruteForce {
  std::string flags;  // as flagsOf gives them
  std::vector<std::vector<double>> x;
  std::vector<double> y, w, packed = std::vector<double>(528, 0.0);  // the SSCP

  BruteForce(unsigned seed, std::string initial) : flags(std::move(initial)) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform(0.5, 3.0);
    for (int t = 0; t < 300; ++t) {
      std::vector<double> r(31, 1.0);
      for (int c = 1; c < 31; ++c)
        r[c] = normal(random);
      r[2] = r[20] + r[21] + 0.5 * r[2];
      y.push_back(0.5 * r[3] + 0.4 * r[7] + 0.3 * r[11] + 0.25 * r[15] + 0.2 * r[19] + r[20] +
                  r[21] + 0.12 * r[23] + 0.5 * r[9] + normal(random));
      x.push_back(r);
      x.back().push_back(y.back());
      w.push_back(uniform(random));
      for (int i = 0, k = 0; i < 32; ++i)
        for (int j = i; j < 32; ++j)
          packed[k++] += w.back() * x.back()[i] * x.back()[j];
    }
  }
  // The squared t of each position of the model `in` (and `extra`), refitted; then SSR.
  std::vector<long double> refit(std::vector<int> in, int extra = -1) const {
    if (extra >= 0) in.push_back(extra);
    std::vector<std::vector<double>> rows(x.size());
    for (std::size_t t = 0; t < x.size(); ++t)
      for (int c : in)
        rows[t].push_back(x[t][c]);
    const testing::LeastSquaresFit fit = testing::leastSquares(rows, y, w);
    std::vector<long double> out;
    for (std::size_t i = 0; i < in.size(); ++i)
      out.push_back(fit.beta[i] * fit.beta[i] / (fit.stdErr[i] * fit.stdErr[i]));
    out.push_back(fit.sst - fit.sse);
    return out;
  }
  std::vector<int> model() const {
    std::vector<int> in{0};
    for (int c = 1; c < 31; ++c)
      if (flags[c] == '1' || flags[c] == '3') in.push_back(c);
    return in;
  }
  static long double tail(long double f, std::size_t m) {
    return testing::reference::fisher(1, 300.0L - m - 2, f).upper;
  }
  int removeWeakest(std::size_t m) {
    const std::vector<int> in = model();
    const std::vector<long double> f = refit(in);
    std::size_t weakest = 0;
    for (std::size_t i = 1; i < in.size(); ++i)
      if (flags[in[i]] == '1' && (weakest == 0 || f[i] < f[weakest])) weakest = i;
    if (weakest == 0 || tail(f[weakest], m) <= 0.05) return 0;
    flags[in[weakest]] = '0';
    return in[weakest];
  }
  std::string forward(bool removal) {
    int lastDropped = 0;
    long double previousSSR = -1;
    for (int step = 1; step < 31; ++step) {
      const std::size_t m = model().size();
      int best = 0;
      long double bestF = 0, bestSSR = 0;
      for (int c = 1; c < 31; ++c) {
        if (flags[c] != '0' || c == lastDropped) continue;
        const std::vector<long double> f = refit(model(), c);
        if (tail(f[m], m) < 0.05 && f[m] > bestF) best = c, bestF = f[m], bestSSR = f[m + 1];
      }
      if (best == 0) break;
      flags[best] = '1';
      if (!removal) continue;
      lastDropped = removeWeakest(m);
      if (previousSSR >= 0 && bestSSR <= previousSSR) break;
      previousSSR = bestSSR;
    }
    return flags;
  }
  std::string backward() {
    while (model().size() >= 2 && removeWeakest(model().size()) != 0) {
    }
    return flags;
  }
};

TEST(Selection, TrialFitsAndChosenModelsAgreeWithABruteForceSelection) {
  testing::TraceCapture quiet;
  testing::ScratchDir dir;
  const std::string file = dir.file("m.mdl");
  // 5 fixed in and the strong 9 fixed out; backward starts from every candidate.
  const std::string some = "3000030002000000000000000000000",
                    all = "3111131112111111111111111111111";
  for (unsigned seed : {1u, 3u, 4u, 5u}) {
    const BruteForce design(seed, some);
    std::vector<double> packed = design.packed;
    writeModel(file, some.substr(1), 300, packed[0]);
    // Every candidate bordered on one factorisation: its partial F is its squared t.
    Regression trial;
    trial.prepare(file, packed.data(), "");
    trial.selected[2] = 1;
    ASSERT_TRUE(trial.factorTrial(3));
    for (int c : {1, 2, 4, 9, 20, 30}) {
      trial.selected[2] = c;
      ASSERT_TRUE(trial.estimateWith(3));
      EXPECT_LE(std::fabs(trial.lastF - design.refit({0, 5, c})[2]), 1e-9 * trial.lastF) << c;
    }
    EXPECT_EQ(trial.estimationCount, 6);
    for (auto run : {ForwardRegression, StepwiseRegression, BackwardRegression}) {
      BruteForce reference = design;
      if (run == BackwardRegression) reference.flags = all;
      writeModel(file, reference.flags.substr(1), 300, packed[0]);
      ASSERT_EQ(run(file.c_str(), packed.data(), "", 0), 0);
      EXPECT_EQ(flagsOf(file), run == BackwardRegression
                                   ? reference.backward()
                                   : reference.forward(run == StepwiseRegression))
          << seed;
    }
  }
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

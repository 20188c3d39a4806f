// Variable selection: the bordered trial fits against long-double refits, the chosen
// models against a brute-force selection under the same rules, the step reports of
// full runs on exact designs, and the exports' guards.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "regression/least_squares_reference.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::RealMatrix;

struct QuietTrace {
  std::ostream* previous = setTraceStream(nullptr);
  ~QuietTrace() { setTraceStream(previous); }
};

// Writes a model of the intercept and `names` with their flags.
void writeModel(const std::string& path, const std::vector<std::string>& names,
                const std::vector<int>& flags, int nObs, double totalWeight) {
  testing::editModel(path, [&](Regression& m) {
    m.regressors = {{"_intercept_", "", 0, "Intercept", 3}};
    for (std::size_t i = 0; i < names.size(); ++i)
      m.regressors.push_back({names[i], names[i], 0, "", static_cast<std::uint8_t>(flags[i])});
    m.nObs = nObs, m.totalWeight = totalWeight, m.LHS = "Y", m.status = 0;
  });
}

std::vector<int> flagsOf(const std::string& path) {
  Regression model;
  model.loading(path);
  std::vector<int> flags;
  for (const Regressor& record : model.regressors)
    flags.push_back(record.flags);
  return flags;
}

// 300 weighted rows: the intercept, 30 candidates (2 nearly the sum of the later 20 and
// 21, 9 strong but fixed out, 5 fixed in, 23 near the entry level) and Y (column 31).
struct RandomDesign {
  static constexpr int kColumns = 32, kRows = 300;
  RealMatrix g = RealMatrix(kColumns, std::vector<long double>(kColumns, 0));  // X'WX
  long double weightSum = 0;
  std::vector<int> flags = std::vector<int>(kColumns - 1, 0);

  explicit RandomDesign(unsigned seed) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform(0.5, 3.0);
    for (int t = 0; t < kRows; ++t) {
      std::vector<double> x(kColumns, 1.0);
      for (int c = 1; c < 31; ++c)
        x[c] = normal(random);
      x[2] = x[20] + x[21] + 0.5 * x[2];
      x[31] = 0.5 * x[3] + 0.4 * x[7] + 0.3 * x[11] + 0.25 * x[15] + 0.2 * x[19] + x[20] + x[21] +
              0.12 * x[23] + 0.5 * x[9] + normal(random);
      const double w = uniform(random);
      weightSum += w;
      for (int i = 0; i < kColumns; ++i)
        for (int j = 0; j < kColumns; ++j)
          g[i][j] += w * static_cast<long double>(x[i]) * x[j];
    }
    flags[0] = flags[5] = 3;
    flags[9] = 2;
  }
  std::vector<double> packed() const {
    std::vector<double> out;
    for (int i = 0; i < kColumns; ++i)
      for (int j = i; j < kColumns; ++j)
        out.push_back(static_cast<double>(g[i][j]));
    return out;
  }
  RealMatrix scaled() const {  // weights summing to the row count
    RealMatrix s = g;
    for (auto& row : s)
      for (long double& v : row)
        v *= kRows / weightSum;
    return s;
  }
};

// Selection by full long-double refits under the same rules: a candidate (flags 0) enters
// when the upper tail of its partial F on 1 and n - m - 2 degrees of freedom is below
// the entry level and its F beats every earlier one; a removable regressor (flags 1)
// with the smallest F leaves when its tail exceeds the stay level.
class BruteForce {
 public:
  BruteForce(RealMatrix g, std::vector<int> flags) : g_(std::move(g)), flags_(std::move(flags)) {}

  std::vector<int> forward(bool removal) {
    int lastDropped = 0;
    long double previousSSR = -1;
    for (int step = 1; step < kRecords; ++step) {
      const std::size_t m = model().size();
      int best = 0;
      long double bestF = 0, bestSSR = 0;
      for (int c = 1; c < kRecords; ++c) {
        if (flags_[c] != 0 || c == lastDropped) continue;
        std::vector<int> with = model();
        with.push_back(c);
        const testing::LeastSquaresFit fit = refit(with);
        const long double f = squaredT(fit, m);
        if (tail(f, m) < 0.05 && (best == 0 || f > bestF))
          best = c, bestF = f, bestSSR = fit.sst - fit.sse;
      }
      if (best == 0) break;
      flags_[best] = 1;
      if (!removal) continue;
      lastDropped = removeWeakest(m);
      if (previousSSR >= 0 && bestSSR <= previousSSR) break;
      previousSSR = bestSSR;
    }
    return flags_;
  }
  std::vector<int> backward() {
    if (model().size() < 2)
      for (int c = 1; c < kRecords; ++c)
        flags_[c] |= (flags_[c] & 2) == 0 ? 1 : 0;
    while (model().size() >= 2 && removeWeakest(model().size()) != 0) {
    }
    return flags_;
  }

 private:
  static constexpr int kRecords = RandomDesign::kColumns - 1;
  std::vector<int> model() const {
    std::vector<int> in{0};
    for (int c = 1; c < kRecords; ++c)
      if ((flags_[c] & 1) != 0) in.push_back(c);
    return in;
  }
  testing::LeastSquaresFit refit(const std::vector<int>& columns) const {
    return testing::fitFromCrossProducts(g_, columns, kRecords, RandomDesign::kRows);
  }
  static long double squaredT(const testing::LeastSquaresFit& fit, std::size_t i) {
    return fit.beta[i] * fit.beta[i] / (fit.stdErr[i] * fit.stdErr[i]);
  }
  static long double tail(long double f, std::size_t m) {
    return testing::reference::fisher(1, RandomDesign::kRows - static_cast<long double>(m) - 2, f)
        .upper;
  }
  int removeWeakest(std::size_t m) {
    const std::vector<int> in = model();
    const testing::LeastSquaresFit fit = refit(in);
    std::size_t weakest = 0;
    for (std::size_t i = 1; i < in.size(); ++i)
      if (flags_[in[i]] == 1 && (weakest == 0 || squaredT(fit, i) < squaredT(fit, weakest)))
        weakest = i;
    if (weakest == 0 || tail(squaredT(fit, weakest), m) <= 0.05) return 0;
    flags_[in[weakest]] = 0;
    return in[weakest];
  }
  RealMatrix g_;
  std::vector<int> flags_;
};

TEST(Selection, PartialFOfEachBorderedTrialIsTheSquaredTOfItsRefit) {
  QuietTrace quiet;
  testing::ScratchDir dir;
  const RandomDesign design(11);
  std::vector<int> flags(30, 0);
  flags[2] = flags[6] = 1;  // the model: intercept, 3 and 7
  writeModel(dir.file("m.mdl"), std::vector<std::string>(30, "X"), flags, 300, design.weightSum);
  std::vector<double> packed = design.packed();
  Regression model;
  model.prepare(dir.file("m.mdl"), packed.data(), "");
  const int candidates[] = {1, 2, 4, 6, 11, 20, 23, 30};
  model.selected[3] = candidates[0];
  ASSERT_TRUE(model.factorTrial(4));  // one factorisation for every candidate
  for (int c : candidates) {
    model.selected[3] = c;
    ASSERT_TRUE(model.estimateWith(4)) << c;
    const auto fit = testing::fitFromCrossProducts(design.scaled(), {0, 3, 7, c}, 31, 300);
    const long double t = fit.beta[3] / fit.stdErr[3];
    EXPECT_LE(std::fabs(model.lastF - t * t), 1e-9 * t * t) << c;
  }
  EXPECT_EQ(model.estimationCount, 8);
}

TEST(Selection, ChoosesWhatABruteForceSelectionChooses) {
  QuietTrace quiet;
  testing::ScratchDir dir;
  const std::string file = dir.file("m.mdl");
  using Export = std::int16_t (*)(const char*, double*, const char*, unsigned char);
  const std::pair<Export, std::function<std::vector<int>(BruteForce&)>> procedures[] = {
      {ForwardRegression, [](BruteForce& b) { return b.forward(false); }},
      {StepwiseRegression, [](BruteForce& b) { return b.forward(true); }},
      {BackwardRegression, [](BruteForce& b) { return b.backward(); }}};
  for (unsigned seed : {1u, 3u, 4u, 5u}) {
    const RandomDesign design(seed);
    std::vector<double> packed = design.packed();
    std::vector<std::vector<int>> chosen;
    for (const auto& [run, reference] : procedures) {
      std::vector<int> flags = design.flags;
      if (run == BackwardRegression)  // from every candidate
        for (int& f : flags)
          f = f == 0 ? 1 : f;
      writeModel(file, std::vector<std::string>(30, "X"),
                 std::vector<int>(flags.begin() + 1, flags.end()), 300, design.weightSum);
      ASSERT_EQ(run(file.c_str(), packed.data(), "", 0), 0);
      BruteForce bruteForce(design.scaled(), flags);
      chosen.push_back(flagsOf(file));
      EXPECT_EQ(chosen.back(), reference(bruteForce)) << seed;
    }
    // Stepwise takes out the regressor that 20 and 21 made redundant; forward keeps it.
    EXPECT_EQ(std::make_tuple(chosen[0][2], chosen[1][2], chosen[0][9], chosen[2][5]),
              std::make_tuple(1, 0, 2, 3))
        << seed;
  }
}

// An exact design of n = 100 rows: each column a combination of orthogonal basis vectors
// with sums of squares n (basis 0 the constant); the SSCP is n times their inner products.
std::vector<double> exactSscp(std::vector<std::vector<double>> columns) {
  for (auto& column : columns)
    column.resize(10, 0.0);
  std::vector<double> packed;
  for (std::size_t i = 0; i < columns.size(); ++i)
    for (std::size_t j = i; j < columns.size(); ++j)
      packed.push_back(
          100 * std::inner_product(columns[i].begin(), columns[i].end(), columns[j].begin(), 0.0));
  return packed;
}

const std::vector<std::string> kNames{"A", "B", "D", "N1", "N2", "FX", "FO", "DUP"};
// A = B + 0.8 D plus a part Y lacks; N1, N2, FX weak; FO strong; DUP is B again.
const std::vector<std::vector<double>> kExact{{1},
                                              {0, 1, 0.8, 0.3},
                                              {0, 1},
                                              {0, 0, 1},
                                              {0, 0, 0, 0, 1},
                                              {0, 0, 0, 0, 0, 1},
                                              {0, 0, 0, 0, 0, 0, 1},
                                              {0, 0, 0, 0, 0, 0, 0, 1},
                                              {0, 1},
                                              {5, 1, 1, 0, 0.01, 0.02, 0.005, 0.5, 0.2}};

// The titles of a report file, and whether each step layout is used where it should be.
std::vector<std::string> titlesOf(const std::string& report) {
  std::vector<std::string> titles;
  std::size_t at = 0;
  while ((at = report.find("*****  ", at)) != std::string::npos) {
    const std::size_t end = report.find("  *****", at);
    titles.push_back(report.substr(at + 7, end - at - 7));
    const std::size_t next = report.find("*****  ", end + 7);
    const std::string block = report.substr(end, next - end);
    const bool step = titles.back().find("No other") != 0 && titles.back().find("Final") != 0;
    EXPECT_EQ(block.find("   |  SL.Entry ") != std::string::npos, step);
    EXPECT_EQ(block.find("Type II SS   F Value   Prob>F   Label") != std::string::npos, step);
    at = end;
  }
  return titles;
}

TEST(Selection, StepReportsOfFullRunsOnAnExactDesign) {
  QuietTrace quiet;
  testing::ScratchDir dir;
  const std::string file = dir.file("m.mdl"), report = dir.file("r.txt");
  std::vector<double> packed = exactSscp(kExact);
  const std::string closing =
      "No other regressor met the 0.05 significance level for entry into the model.";
  struct Case {
    decltype(&ForwardRegression) run;
    std::vector<int> flags, chosen;
    std::vector<std::string> titles;
  } cases[] = {
      {ForwardRegression,
       {0, 0, 0, 0, 0, 3, 2, 2},
       {3, 1, 1, 1, 0, 0, 3, 2, 2},
       {"Variable A added", "Variable D added", "Variable B added", closing}},
      {StepwiseRegression,
       {0, 0, 0, 0, 0, 3, 2, 2},
       {3, 0, 1, 1, 0, 0, 3, 2, 2},
       {"Variable A added", "Variable D added", "Variable A dropped", "Variable B added", closing}},
      {BackwardRegression,
       {1, 1, 1, 1, 1, 3, 2, 2},
       {3, 0, 1, 1, 0, 0, 3, 2, 2},
       {"Initial Model for Backward Regression", "Variable A removed", "Variable N1 removed",
        "Variable N2 removed", "Final model from backward selection"}},
      // From the intercept alone: every record but the fixed-out FO and the singular DUP.
      {BackwardRegression,
       {0, 0, 0, 0, 0, 0, 2, 0},
       {3, 0, 1, 1, 0, 0, 0, 2, 0},
       {"Initial Model for Backward Regression", "Variable A removed", "Variable FX removed",
        "Variable N1 removed", "Variable N2 removed", "Final model from backward selection"}},
  };
  for (const Case& c : cases) {
    writeModel(file, kNames, c.flags, 100, 100);
    testing::writeFile(report, "");
    ASSERT_EQ(c.run(file.c_str(), packed.data(), report.c_str(), 0), 0);
    EXPECT_EQ(flagsOf(file), c.chosen);
    EXPECT_EQ(titlesOf(testing::readFile(report)), c.titles);
  }
}

TEST(Selection, OneStepAdvancesOneAdditionOrRemovalPerCall) {
  QuietTrace quiet;
  testing::ScratchDir dir;
  const std::string file = dir.file("m.mdl"), report = dir.file("r.txt");
  std::vector<double> packed = exactSscp(kExact);
  const std::pair<decltype(&ForwardRegression), std::vector<int>> runs[] = {
      {ForwardRegression, {0, 0, 0, 0, 0, 3, 2, 2}},
      {BackwardRegression, {1, 1, 1, 1, 1, 3, 2, 2}}};
  const std::vector<int> expected[] = {{3, 4, 5, 5}, {6, 5, 4, 4}};  // regressors marked
  for (int run = 0; run < 2; ++run) {
    writeModel(file, kNames, runs[run].second, 100, 100);
    for (int call = 0; call < 4; ++call) {
      testing::writeFile(report, "");
      ASSERT_EQ(runs[run].first(file.c_str(), packed.data(), report.c_str(), 1), 0);
      const std::vector<int> flags = flagsOf(file);
      EXPECT_EQ(std::count_if(flags.begin(), flags.end(), [](int f) { return f & 1; }),
                expected[run][call]);
      EXPECT_EQ(titlesOf(testing::readFile(report)).size(), run == 0 && call == 3 ? 1u : 2u);
    }
  }
}

TEST(Selection, StepwiseStopsWhenAStepBringsNoLargerSSR) {
  QuietTrace quiet;
  testing::ScratchDir dir;
  const std::string file = dir.file("m.mdl"), report = dir.file("r.txt");
  // B strong; C1 and C2 enter at level 0.5 but leave at 0.05; F1 and F2 fixed out.
  std::vector<double> packed = exactSscp({{1},
                                          {0, 1},
                                          {0, 0, 1},
                                          {0, 0, 0, 1},
                                          {0, 0, 0, 0, 1},
                                          {0, 0, 0, 0, 0, 1},
                                          {3, 1, 0.15, 0.1, 0, 0, 1}});
  writeModel(file, {"B", "C1", "C2", "F1", "F2"}, {0, 0, 0, 2, 2}, 100, 100);
  testing::editModel(file, [](Regression& m) { m.slEntry = 0.5; });
  Regression model;
  ASSERT_EQ(model.stepwise(file, packed.data(), report, false), 0);
  // 3 trials + fit; C1: 2 trials + fit, dropped; C2: 1 trial + fit, dropped, no progress;
  // the final refit. Without the stop C1 would come back.
  EXPECT_EQ(model.estimationCount, 10);
  EXPECT_EQ(flagsOf(file), (std::vector<int>{3, 1, 0, 0, 2, 2}));
  EXPECT_EQ(titlesOf(testing::readFile(report)),
            (std::vector<std::string>{
                "Variable B added",
                "No other regressor met the 0.5 significance level for entry into the model."}));
}

TEST(Selection, FailuresReturnMinusOneAndLeaveTheModelFileAlone) {
  QuietTrace quiet;
  testing::ScratchDir dir;
  const std::string file = dir.file("m.mdl"), report = dir.file("r.txt");
  std::vector<double> exact = exactSscp(kExact);
  // Candidates whose columns are all zero: no trial fit can be made.
  std::vector<double> empty = exactSscp({{1}, {}, {}, {0, 1, 1}});
  writeModel(file, {"Z1", "Z2"}, {0, 0}, 100, 100);
  const std::string before = testing::readFile(file);
  for (auto run : {ForwardRegression, StepwiseRegression, BackwardRegression})
    for (double first : {0.0, -1.0, std::nan("")}) {
      testing::MessageRecorder boxes;
      exact[0] = first;
      EXPECT_EQ(run(file.c_str(), exact.data(), report.c_str(), 0), -1);
      EXPECT_EQ(run(file.c_str(), nullptr, report.c_str(), 0), -1);
      EXPECT_EQ(boxes.messages().size(), 0u);
    }
  for (auto run : {ForwardRegression, StepwiseRegression})
    EXPECT_EQ(run(file.c_str(), empty.data(), report.c_str(), 0), -1);
  EXPECT_EQ(ForwardRegression(dir.file("none.mdl").c_str(), empty.data(), "", 0), -1);
  EXPECT_EQ(BackwardRegression(dir.file("none.mdl").c_str(), empty.data(), "", 0), -1);
  EXPECT_EQ(testing::readFile(file), before);
  EXPECT_FALSE(std::filesystem::exists(report));
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.mdl")));
}

}  // namespace
}  // namespace tessary

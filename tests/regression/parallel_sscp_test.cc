// The data stage on the parallel layer: a survey of several blocks of records gives the
// same cross-products and design, byte for byte, on any number of threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "platform/parallel_threads.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::SurveyFixture;

constexpr int kColumns = 7;  // _intercept_, D_1, D_2, D_3, X1, Z, then Y

struct BlockSurvey {
  static constexpr std::uint32_t kClusters = 250, kPerCluster = 130;  // four blocks and a part
  static constexpr std::size_t kHouseholds = std::size_t{kClusters} * kPerCluster;
  SurveyFixture survey{std::vector<std::uint32_t>(kClusters, kPerCluster)};
  std::vector<double> x1, d, y, w, z, clusterZ;
  std::string model = survey.dir.file("y.mdl");

  BlockSurvey() {
    std::mt19937_64 random(11);
    std::normal_distribution<double> normal;
    for (std::uint32_t c = 0; c < kClusters; ++c)
      clusterZ.push_back(normal(random));
    for (std::size_t i = 0; i < kHouseholds; ++i) {
      x1.push_back(normal(random));
      d.push_back(static_cast<double>(1 + random() % 3));
      z.push_back(clusterZ[i / kPerCluster]);
      w.push_back(0.5 + static_cast<double>(random() % 300) / 100.0);
      y.push_back(1 + 2 * x1.back() - 0.5 * d.back() + z.back() + normal(random));
    }
    survey.add(0, "X1", x1);
    survey.add(0, "D", d, 'C');
    survey.add(0, "Y", y);
    survey.add(0, "W", w);
    survey.add(1, "Z", clusterZ);
    survey.name("", "W");
    buildModelFromCombinedDataset(survey.project("X1,D,Z", "0,0,1").c_str(), model.c_str(), "Y", 0);
    testing::editModel(model, [](Regression& edit) { edit.condition = "X1 > -1.5"; });
  }

  // Every eleventh record excluded by the caller; the condition drops more.
  bool included(std::size_t i) const { return i % 11 != 4 && x1[i] > -1.5; }
  std::vector<std::uint8_t> callerMask() const {
    std::vector<std::uint8_t> mask((kHouseholds + 7) / 8, 0);
    for (std::size_t i = 4; i < kHouseholds; i += 11)
      mask[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
    return mask;
  }
  double column(std::size_t i, int c) const {
    const double all[kColumns] = {
        1, d[i] == 1 ? 1.0 : 0, d[i] == 2 ? 1.0 : 0, d[i] == 3 ? 1.0 : 0, x1[i], z[i], y[i]};
    return all[c];
  }
};

struct DataStage {
  std::vector<double> packed = std::vector<double>(kColumns * (kColumns + 1) / 2);
  std::vector<double> design;
};

DataStage runDataStage(const BlockSurvey& s, std::vector<double> weights) {
  DataStage out;
  std::vector<std::uint8_t> mask = s.callerMask();
  const int rows = makeSSCP(s.survey.daa().c_str(), s.model.c_str(), mask.data(), weights.data(),
                            out.packed.data());
  EXPECT_EQ(rows, static_cast<int>(weights.size()));
  out.design.resize(weights.size() * kColumns);
  EXPECT_EQ(getRegressors(s.survey.daa().c_str(), s.model.c_str(), mask.data(), weights.data(),
                          out.design.data(), 3),
            rows);
  return out;
}

bool sameBytes(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(ParallelSscp, SameBytesOnOneTwoAndSevenThreadsAndTheRightFigures) {
  const BlockSurvey s;
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < BlockSurvey::kHouseholds; ++i)
    if (s.included(i)) rows.push_back(i);
  // Weights that go in as roots, then one negative weight for the general product.
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<double> weights;
    for (std::size_t i : rows)
      weights.push_back(s.w[i]);
    if (pass == 1) weights[9000] = -weights[9000];
    std::vector<DataStage> runs;
    for (int threads : {1, 2, 7}) {
      setThreadCount(threads);
      runs.push_back(runDataStage(s, weights));
      EXPECT_TRUE(sameBytes(runs.back().packed, runs[0].packed)) << threads << " threads";
      EXPECT_TRUE(sameBytes(runs.back().design, runs[0].design)) << threads << " threads";
    }
    const DataStage& got = runs[0];
    for (std::size_t t = 0; t < rows.size(); ++t)
      for (int c = 0; c < kColumns; ++c)
        ASSERT_EQ(got.design[c * rows.size() + t], s.column(rows[t], c)) << t << ' ' << c;
    for (int i = 0, at = 0; i < kColumns; ++i)
      for (int j = i; j < kColumns; ++j, ++at) {
        long double sum = 0;
        for (std::size_t t = 0; t < rows.size(); ++t)
          sum += weights[t] * static_cast<long double>(s.column(rows[t], i)) * s.column(rows[t], j);
        EXPECT_LE(std::fabs(got.packed[at] - sum), 1e-11 * std::fabs(sum)) << i << ' ' << j;
      }
  }
  useEnvironmentThreadCount();
}

}  // namespace
}  // namespace tessary

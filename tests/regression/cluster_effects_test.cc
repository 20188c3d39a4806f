// Cluster counts from the data, and the location effect on figures worked by hand (its
// known-truth simulation is in bench/error_components_bench.cc).
#include <gtest/gtest.h>

#include <cstring>

#include "regression/cluster_effects.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::MessageRecorder;

TEST(ClusterCount, RunsOfTruncatedKeysOverTheIncludedRecords) {
  testing::SurveyFixture survey({8});
  // Keys 1 1 2 1 2 3 9 3: key 1 recurs after 2, the excluded 9 does not split the 3s.
  survey.add(0, "HHID", {1001, 1002, 2001, 1005, 2002, 3001, 9999, 3002});
  survey.name("HHID", "");
  writeDataRef(survey.dir.file("cl.daR"), 1000.0, {{1, 8, false, 1}});
  std::vector<std::uint8_t> mask{0x40};  // record 7
  std::vector<double> keys(8, -1);
  std::vector<std::int32_t> counts(8, -1);
  const std::string daa = survey.daa();
  ASSERT_EQ(getCountOfCluster(daa.c_str(), mask.data(), keys.data(), counts.data()), 5);
  EXPECT_EQ(keys, (std::vector<double>{1, 2, 1, 2, 3, -1, -1, -1}));
  EXPECT_EQ(counts, (std::vector<std::int32_t>{2, 1, 1, 1, 2, -1, -1, -1}));

  MessageRecorder boxes;
  writeDataRef(survey.dir.file("cl.daR"), 0.0, {{1, 8, false, 1}});
  EXPECT_EQ(getCountOfCluster(daa.c_str(), mask.data(), keys.data(), counts.data()), -1);
  testing::writeFile(daa, "hh.daH\n");  // no cluster level: the data set cannot be loaded
  EXPECT_EQ(getCountOfCluster(daa.c_str(), mask.data(), keys.data(), counts.data()), -1);
  ASSERT_EQ(boxes.messages().size(), 2u);
  EXPECT_EQ(boxes.messages()[0].text, "DataRef corrupted: zero amplifier");
  EXPECT_EQ(boxes.messages()[1].text.rfind("Unexpected error occured\nCode (", 0), 0u);
  EXPECT_EQ(boxes.messages()[1].caption, "getCountOfCluster");
}

struct Split {
  std::vector<double> eps, eta, weight, stats = std::vector<double>(6, -1);
  std::int32_t singletons = -1;
  double variance = 0;
};

// locationalEffect over cluster records laid out as a host lays them out, the bytes the
// library does not read set.
Split split(const std::vector<double>& u, const std::vector<double>& w,
            const std::vector<ClusterSummary>& clusters) {
  std::vector<std::uint8_t> bytes(clusters.size() * 104, 0xEE);
  for (std::size_t c = 0; c < clusters.size(); ++c)
    for (auto [at, value] : {std::pair{0, clusters[c].count},
                             {8, clusters[c].eta},
                             {16, clusters[c].within},
                             {48, clusters[c].weight}})
      std::memcpy(&bytes[c * 104 + at], &value, 8);
  Split out{std::vector<double>(u.size()), std::vector<double>(clusters.size()),
            std::vector<double>(clusters.size())};
  out.variance = locationalEffect(u.data(), w.data(), int(u.size()), int(clusters.size()),
                                  bytes.data(), out.eps.data(), out.eta.data(), out.weight.data(),
                                  out.stats.data(), &out.singletons);
  return out;
}

TEST(LocationalEffect, MomentEstimateSplitAndSingletons) {
  // Clusters of three, one and four households; the two counted have equal weight shares
  // s = 1/2, so A = 1/2, B = (0.3^2 + 0.1^2) / 2, C = (tau1 + tau2) / 4 with tau1 = 0.12/3,
  // tau2 = 0.8/4, and sigma^2_eta = (B - C) / A = -0.02 (negative: little between-cluster
  // variation).
  const std::vector<double> u{0.5, -0.1, 0.5, 1.2, -0.7, 0.9, 0.4, -0.2};
  const std::vector<double> w{2, 2, 2, 0, 1.5, 1.5, 1.5, 1.5};
  testing::TraceCapture traced;
  const Split got = split(u, w, {{3, 0.3, 0.12, 6}, {1, 1.2, 0.0, 0}, {4, 0.1, 0.8, 6}});
  const double sigma = -0.02, tau1 = 0.04, tau2 = 0.2;
  const double variance = 2 * ((sigma + tau1) * (sigma + tau1) + tau1 * tau1 * 0.25 / 2) +
                          2 * ((sigma + tau2) * (sigma + tau2) + tau2 * tau2 * 0.25 / 3);
  EXPECT_NEAR(got.stats[5], sigma, 1e-15);
  EXPECT_NEAR(got.variance, variance, 1e-15);
  EXPECT_EQ(got.stats, (std::vector<double>{0, 0, 0, 0, got.variance, got.stats[5]}));
  EXPECT_EQ(got.singletons, 1);
  EXPECT_EQ(got.eps, (std::vector<double>{0.5 - 0.3, -0.1 - 0.3, 0.5 - 0.3, 0.0, -0.7 - 0.1,
                                          0.9 - 0.1, 0.4 - 0.1, -0.2 - 0.1}));
  EXPECT_EQ(got.eta, (std::vector<double>{0.3, 1.2, 0.1}));
  EXPECT_EQ(got.weight, (std::vector<double>{6, 0, 6}));
  EXPECT_EQ(traced.text.str().rfind("SigEta2=-0.02", 0), 0u);

  MessageRecorder boxes;
  EXPECT_EQ(split(u, w, {{5, 0, 0, 1}, {4, 0, 0, 1}}).variance, 0.0);
  ASSERT_EQ(boxes.messages().size(), 1u);
  EXPECT_EQ(boxes.messages()[0].caption, "locationalEffect");
  EXPECT_EQ(boxes.messages()[0].text, "Cluster size greater than the number of observation");
}

}  // namespace
}  // namespace tessary

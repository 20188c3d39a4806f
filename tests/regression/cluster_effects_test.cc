// Cluster counts from the data and the location effect against its moment formulas
// computed here, and on data with a known cluster-effect variance.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "regression/cluster_effects.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::MessageRecorder;
using testing::SurveyFixture;

TEST(ClusterCount, RunsOfTruncatedKeysOverTheIncludedRecords) {
  SurveyFixture survey({8});
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

// Cluster records as a host lays them out, the bytes the library does not read set.
std::vector<std::uint8_t> records(const std::vector<ClusterSummary>& clusters) {
  std::vector<std::uint8_t> bytes(clusters.size() * 104, 0xEE);
  for (std::size_t c = 0; c < clusters.size(); ++c)
    for (auto [offset, value] : {std::pair{0, clusters[c].count},
                                 {8, clusters[c].eta},
                                 {16, clusters[c].within},
                                 {48, clusters[c].weight}})
      std::memcpy(&bytes[c * 104 + offset], &value, 8);
  return bytes;
}

struct Moments {
  long double sigEta2 = 0, variance = 0;
};

// sigma^2_eta = (sum s eta^2 - sum s(1-s) tau) / sum s(1-s) and the variance of the
// estimate, over clusters of more than one household, s = weight / total weight.
Moments moments(const std::vector<ClusterSummary>& clusters, long double total) {
  long double a = 0, b = 0, c = 0;
  for (const ClusterSummary& k : clusters)
    if (k.count > 1) {
      const long double s = k.weight / total, tau = k.within / k.count;
      a += s * (1 - s);
      b += s * k.eta * k.eta;
      c += s * (1 - s) * tau;
    }
  Moments m{(b - c) / a, 0};
  for (const ClusterSummary& k : clusters)
    if (k.count > 1) {
      const long double s = k.weight / total, tau = k.within / k.count;
      m.variance += 2 * ((m.sigEta2 + tau) * (m.sigEta2 + tau) * (s / a) * (s / a) +
                         tau * tau * ((1 - s) * s / a) * ((1 - s) * s / a) / (k.count - 1));
    }
  return m;
}

struct Split {
  double variance;
  std::vector<double> eps, eta, weight, stats;
  std::int32_t singletons = -1;
};

Split split(const std::vector<double>& u, const std::vector<double>& w,
            const std::vector<ClusterSummary>& clusters) {
  const auto bytes = records(clusters);
  const auto n = static_cast<std::int32_t>(u.size()),
             m = static_cast<std::int32_t>(clusters.size());
  Split out{0, std::vector<double>(u.size()), std::vector<double>(clusters.size()),
            std::vector<double>(clusters.size()), std::vector<double>(6, -1)};
  out.variance =
      locationalEffect(u.data(), w.data(), n, m, bytes.data(), out.eps.data(), out.eta.data(),
                       out.weight.data(), out.stats.data(), &out.singletons);
  return out;
}

TEST(LocationalEffect, MomentEstimateSplitAndSingletons) {
  const std::vector<double> u{0.5, -0.1, 0.3, 1.2, -0.7, 0.9, 0.4, -0.2}, w(8, 1.5);
  // Three households, a singleton, four households.
  const std::vector<ClusterSummary> clusters{
      {3, 0.9 / 3, 0.12, 4.5}, {1, 1.2, 0.0, 1.5}, {4, 0.1, 0.8, 6.0}};
  testing::TraceCapture traced;
  const Split got = split(u, w, clusters);
  const Moments want = moments(clusters, 12.0L);
  EXPECT_NEAR(got.stats[5], want.sigEta2, 1e-15);
  EXPECT_NEAR(got.variance, want.variance, 1e-15 * want.variance);
  EXPECT_EQ(got.stats, (std::vector<double>{0, 0, 0, 0, got.variance, got.stats[5]}));
  EXPECT_EQ(got.singletons, 1);
  EXPECT_EQ(got.eps[3], 0.0);  // the singleton's own mean
  EXPECT_EQ(got.eps[0], 0.5 - 0.3);
  EXPECT_EQ(got.eps[7], -0.2 - 0.1);
  EXPECT_EQ(got.eta, (std::vector<double>{0.3, 1.2, 0.1}));
  EXPECT_EQ(got.weight, (std::vector<double>{4.5, 1.5, 6.0}));
  std::ostringstream line;
  line << "SigEta2=" << got.stats[5] << '\n';
  EXPECT_EQ(traced.text.str(), line.str());

  MessageRecorder boxes;
  const Split overrun = split(u, w, {{5, 0, 0, 1}, {4, 0, 0, 1}});
  EXPECT_EQ(overrun.variance, 0.0);
  ASSERT_EQ(boxes.messages().size(), 1u);
  EXPECT_EQ(boxes.messages()[0].caption, "locationalEffect");
  EXPECT_EQ(boxes.messages()[0].text, "Cluster size greater than the number of observation");
}

// 500 clusters of 10 households, sigma^2_eta = 0.05 and sigma^2_eps = 0.5: the estimate lies
// within three reported standard errors of the truth in at least 95 of 100 samples.
TEST(LocationalEffect, KnownClusterVarianceIsRecovered) {
  constexpr int kClusters = 500, kSize = 10;
  std::mt19937_64 random(2718);
  std::normal_distribution<double> eta(0.0, std::sqrt(0.05)), eps(0.0, std::sqrt(0.5));
  testing::TraceCapture quiet;
  int covered = 0;
  for (int replication = 0; replication < 100; ++replication) {
    std::vector<double> u;
    for (int c = 0; c < kClusters; ++c) {
      const double effect = eta(random);
      for (int h = 0; h < kSize; ++h)
        u.push_back(effect + eps(random));
    }
    double mean = 0;
    for (double v : u)
      mean += v / u.size();
    std::vector<ClusterSummary> clusters;
    for (int c = 0; c < kClusters; ++c) {
      double sum = 0, squares = 0;
      for (int h = 0; h < kSize; ++h) {
        const double r = (u[c * kSize + h] -= mean);  // residuals of a fit with an intercept
        sum += r;
        squares += r * r;
      }
      const double clusterMean = sum / kSize;
      clusters.push_back(
          {kSize, clusterMean, (squares - kSize * clusterMean * clusterMean) / (kSize - 1), kSize});
    }
    const Split got = split(u, std::vector<double>(u.size(), 1.0), clusters);
    covered += std::fabs(got.stats[5] - 0.05) <= 3 * std::sqrt(got.variance) ? 1 : 0;
  }
  EXPECT_GE(covered, 95);
}

}  // namespace
}  // namespace tessary

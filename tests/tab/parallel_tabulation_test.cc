// Univariate gives the same bytes for any number of threads.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "frame/trace.h"
#include "platform/parallel_threads.h"
#include "tab/univariate.h"

namespace tessary {
namespace {

class ParallelTabulation : public ::testing::Test {
 protected:
  ParallelTabulation() : trace_(setTraceStream(nullptr)) {}
  ~ParallelTabulation() override {
    setTraceStream(trace_);
    useEnvironmentThreadCount();
  }
  std::ostream* trace_;
};

TEST_F(ParallelTabulation, UnivariateGroupsAreIdenticalForAnyThreadCount) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> value(0, 100);
  std::vector<double> x(20'000), w(x.size());
  for (std::size_t i = 0; i < x.size(); ++i)
    x[i] = value(random), w[i] = 1 + value(random);
  const std::int32_t groupSize[] = {7};
  const std::size_t groups = x.size() / 7;
  std::vector<double> expected;
  for (int threads : {1, 2, 7}) {
    setThreadCount(threads);
    std::vector<double> xs = x, ws = w, out(groups * kUnivariateSlots);
    univariateStatistics(xs.data(), ws.data(), static_cast<std::int32_t>(xs.size()), groupSize, 0,
                         out.data());
    if (expected.empty()) expected = out;
    EXPECT_EQ(std::memcmp(out.data(), expected.data(), out.size() * sizeof(double)), 0) << threads;
  }
}

}  // namespace
}  // namespace tessary

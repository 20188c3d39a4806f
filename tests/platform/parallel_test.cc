// Every suite here is named Parallel*: `make tsan` runs those under ThreadSanitizer.
#include "platform/parallel.h"

#include <cblas.h>
#include <gtest/gtest.h>
#include <oneapi/tbb/info.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/parallel_scratch.h"
#include "test_support.h"

namespace tessary {
namespace {

using testing::failureText;

constexpr int kThreadCounts[] = {1, 2, 7};

// Each test may set its own thread count; the next one starts from the environment's.
class ParallelTest : public ::testing::Test {
 protected:
  void TearDown() override { useEnvironmentThreadCount(); }
};

double sumOf(const std::vector<double>& values, std::size_t begin, std::size_t end) {
  double sum = 0;
  for (std::size_t i = begin; i < end; ++i)
    sum += values[i];
  return sum;
}

TEST_F(ParallelTest, SumIsBitIdenticalForAnyThreadCount) {
  // Magnitudes from 1e-8 to 1e16 of both signs: every change of order changes the sum.
  std::mt19937_64 random(5);
  std::uniform_int_distribution<int> exponent(-8, 16);
  std::uniform_real_distribution<double> mantissa(-2, 2);
  std::vector<double> values(200'003);
  for (double& v : values)
    v = mantissa(random) * std::pow(10.0, exponent(random));
  const std::size_t blockSize = 1000;
  double expected = 0;
  for (std::size_t begin = 0; begin < values.size(); begin += blockSize)
    expected += sumOf(values, begin, std::min(values.size(), begin + blockSize));
  ASSERT_NE(expected, sumOf(values, 0, values.size()));

  for (int threads : kThreadCounts) {
    setThreadCount(threads);
    for (int repeat = 0; repeat < 3; ++repeat) {
      double sum = reduceBlocks(
          values.size(), blockSize, 0.0,
          [&](std::size_t begin, std::size_t end) { return sumOf(values, begin, end); },
          [](double total, double part) { return total + part; });
      EXPECT_EQ(sum, expected) << threads << " threads";
    }
  }
}

TEST_F(ParallelTest, BoundariesDependOnCountAndBlockSizeOnly) {
  using Bounds = std::vector<std::pair<std::size_t, std::size_t>>;
  const struct {
    std::size_t count, blockSize;
    Bounds expected;
  } cases[] = {
      {0, 4, {}}, {3, 10, {{0, 3}}}, {8, 4, {{0, 4}, {4, 8}}}, {10, 4, {{0, 4}, {4, 8}, {8, 10}}}};
  for (int threads : kThreadCounts) {
    setThreadCount(threads);
    for (const auto& c : cases) {
      Bounds seen(c.expected.size());
      forEachBlock(c.count, c.blockSize,
                   [&](std::size_t block, std::size_t begin, std::size_t end) {
                     seen.at(block) = {begin, end};
                   });
      EXPECT_EQ(seen, c.expected) << c.count << " by " << c.blockSize;
    }
    // Many blocks, the last one short: every record exactly once.
    std::vector<int> visits(100'007);
    forEachBlock(visits.size(), 100, [&](std::size_t, std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i)
        ++visits[i];
    });
    EXPECT_EQ(std::count(visits.begin(), visits.end(), 1), 100'007);
    int maps = 0;
    EXPECT_EQ(reduceBlocks(
                  0, 8, 42.5, [&](std::size_t, std::size_t) { return double(++maps); },
                  [](double a, double b) { return a + b; }),
              42.5);
    EXPECT_EQ(maps, 0);
  }
}

TEST_F(ParallelTest, FirstFailureInBlockOrderReachesTheCaller) {
  for (int threads : kThreadCounts) {
    setThreadCount(threads);
    for (int repeat = 0; repeat < 5; ++repeat) {
      std::vector<char> ran(64);
      EXPECT_EQ(failureText([&] {
                  forEachBlock(64 * 10, 10, [&](std::size_t block, std::size_t, std::size_t) {
                    if (block == 40) throw std::runtime_error("later, and not a Failure");
                    if (block == 5 || block == 9) raiseFailure("block " + std::to_string(block));
                    ran[block] = 1;
                  });
                }),
                "block 5");
      EXPECT_EQ(std::count(ran.begin(), ran.begin() + 5, 1), 5) << threads << " threads";

      // A failing combination beats a later failing block.
      EXPECT_EQ(failureText([&] {
                  reduceBlocks(
                      64, 1, 0,
                      [](std::size_t begin, std::size_t) {
                        throwUnless(begin != 9, "map 9");
                        return int(begin);
                      },
                      [](int total, int part) {
                        throwUnless(part != 3, "combine 3");
                        return total + part;
                      });
                }),
                "combine 3");
    }
    EXPECT_THROW(forEachBlock(100, 1,
                              [](std::size_t block, std::size_t, std::size_t) {
                                if (block == 60) throw std::runtime_error("runtime");
                              }),
                 std::runtime_error);
  }
}

TEST_F(ParallelTest, CountComesFromTheEnvironmentOrTheCaller) {
  const int hardware = tbb::info::default_concurrency();
  const struct {
    const char* value;
    int threads;
  } good[] = {{"3", 3}, {"1024", 1024}, {"", hardware}, {nullptr, hardware}};
  for (const auto& c : good) {
    testing::ScopedEnv env("TESSARY_THREADS", c.value);
    useEnvironmentThreadCount();
    EXPECT_EQ(threadCount(), c.threads) << (c.value ? c.value : "(unset)");
  }
  setThreadCount(2);
  for (const char* bad : {"0", "abc", "3x", "-2", "1025", " 4"}) {
    testing::ScopedEnv env("TESSARY_THREADS", bad);
    EXPECT_EQ(
        failureText([] { useEnvironmentThreadCount(); }),
        "TESSARY_THREADS must be a whole number from 1 to 1024, not \"" + std::string(bad) + "\"");
    EXPECT_EQ(threadCount(), 2);
  }
  EXPECT_EQ(failureText([] { setThreadCount(0); }),
            "The number of threads must be from 1 to 1024, not 0");
  EXPECT_EQ(threadCount(), 2);
}

TEST_F(ParallelTest, NestedLoopsShareTheThreadsAndTheRules) {
  setThreadCount(7);
  std::vector<long> sums(16);
  forEachBlock(16, 1, [&](std::size_t outer, std::size_t, std::size_t) {
    sums[outer] = reduceBlocks(
        1000, 10, 0L,
        [&](std::size_t begin, std::size_t end) { return long(outer * (end - begin) + begin); },
        [](long a, long b) { return a + b; });
  });
  for (std::size_t outer = 0; outer < sums.size(); ++outer)
    EXPECT_EQ(sums[outer], long(outer * 1000 + 49500));

  EXPECT_EQ(failureText([] {
              forEachBlock(16, 1, [](std::size_t outer, std::size_t, std::size_t) {
                forEachBlock(100, 10, [&](std::size_t inner, std::size_t, std::size_t) {
                  throwUnless(outer < 3 || inner < 2, "inner " + std::to_string(outer));
                });
              });
            }),
            "inner 3");
}

TEST_F(ParallelTest, ScratchIsLeasedToOneBlockAtATime) {
  setThreadCount(2);
  ScratchPool<double> pool;
  std::vector<char> intact(300);
  forEachBlock(300, 1, [&](std::size_t block, std::size_t, std::size_t) {
    auto scratch = pool.lease(20'000);
    std::fill(scratch.data(), scratch.data() + scratch.size(), double(block));
    intact[block] =
        std::count(scratch.data(), scratch.data() + scratch.size(), double(block)) == 20'000;
  });
  EXPECT_EQ(std::count(intact.begin(), intact.end(), 1), 300);
  EXPECT_LE(pool.buffersMade(), 2u);
}

TEST_F(ParallelTest, BlasIsThreadedOnlyOutsideBlocks) {
  setThreadCount(2);
  EXPECT_EQ(openblas_get_num_threads(), 1);
  {
    ThreadedBlas lend;
    EXPECT_EQ(openblas_get_num_threads(), 2);
  }
  EXPECT_EQ(openblas_get_num_threads(), 1);
  int insideBlock = 0;
  forEachBlock(1, 1, [&](std::size_t, std::size_t, std::size_t) {
    ThreadedBlas lend;
    insideBlock = openblas_get_num_threads();
  });
  EXPECT_EQ(insideBlock, 1);
}

}  // namespace
}  // namespace tessary

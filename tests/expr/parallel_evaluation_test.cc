// The evaluator, the aggregates, cross tables and column writes on the parallel layer: a data set
// of several blocks of records gives the same results, byte for byte, on any number of threads; the
// vectorised elementary functions stay within 1 ulp of the C library's.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "data/data_set.h"
#include "expr/expression_evaluation.h"
#include "expr/expression_parser.h"
#include "frame/missing.h"
#include "numeric/vector_functions.h"
#include "platform/file.h"
#include "platform/parallel_threads.h"
#include "regression/survey_fixture.h"
#include "tab/html_report.h"
#include "tessary.h"

namespace tessary {
namespace {

constexpr std::uint32_t kClusters = 1500, kPerCluster = 140;  // three blocks and a part
constexpr std::size_t kRecords = std::size_t{kClusters} * kPerCluster;
constexpr int kThreadCounts[] = {1, 2, 7};

struct ThreadCountScope {
  explicit ThreadCountScope(int count) { setThreadCount(count); }
  ~ThreadCountScope() { useEnvironmentThreadCount(); }
};

// X: doubles with missing, zero and negative values; Y: small integers; B: 1,000 keys.
struct Survey {
  testing::SurveyFixture fixture{std::vector<std::uint32_t>(kClusters, kPerCluster)};

  Survey() {
    std::mt19937_64 random(5);
    std::vector<double> x(kRecords), y(kRecords), b(kRecords);
    for (std::size_t i = 0; i < kRecords; ++i) {
      const double drawn = static_cast<double>(random() % 20000) / 100.0 - 20.0;
      x[i] = i % 97 == 0 ? MISSING : (i % 89 == 0 ? 0.0 : drawn);
      y[i] = static_cast<double>(random() % 7);
      b[i] = static_cast<double>(random() % 1000);
    }
    fixture.add(0, "X", x);
    fixture.add(0, "Y", y);
    fixture.add(0, "B", b);
  }
  std::string daa() const { return fixture.daa(); }
  std::string file(const char* name) const { return fixture.dir.file(name); }
};

std::vector<double> evaluateText(DataSet& data, const char* text) {
  ExpressionParser expression;
  EXPECT_TRUE(expression.parse(text)) << text;
  std::vector<double> result(kRecords);
  evaluate(expression, data, std::span<double>(result), nullptr, 1,
           static_cast<std::int64_t>(kRecords), nullptr);
  return result;
}

TEST(ParallelEvaluation, ExpressionsAndAggregatesAreTheSameOnAnyNumberOfThreads) {
  const Survey survey;
  const char* expressions[] = {"LOG(X)*2+IIF(Y>3,1,0)",
                               "EXP(X/40)-SQRT(X)+X^1.5+2^Y+(X-1)^Y",
                               "CMEAN(X)",
                               "CMEANON(X,B,0)",
                               "WCMEANON(X,Y,B,1)",
                               "CMAXON(X,B,0)+CERRON(X,B,2)",
                               "CMEANBY(X,1)+CSERIALBY(X,2)"};
  for (const char* text : expressions) {
    std::vector<double> first;
    for (int threads : kThreadCounts) {
      ThreadCountScope scope(threads);
      DataSet data;
      data.openCombined(survey.daa());
      const std::vector<double> result = evaluateText(data, text);
      if (first.empty()) first = result;
      EXPECT_EQ(std::memcmp(first.data(), result.data(), kRecords * sizeof(double)), 0)
          << text << " on " << threads << " threads";
    }
  }
}

TEST(ParallelEvaluation, FilteredCrossTablesAreTheSameOnAnyNumberOfThreads) {
  // A filter that keeps scattered records, weights whose sums depend on their order, a
  // grid dimension and an integer one.
  const Survey survey;
  testing::ScopedEnv env("TMPDIR", survey.fixture.dir.path().c_str());
  unsigned char options[15] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  std::string first;
  for (int threads : kThreadCounts) {
    ThreadCountScope scope(threads);
    ASSERT_EQ(CrossTabulate(nullptr, survey.daa().c_str(), 0, "Y>1", "1+X/7", 2, "X", "B/3.7", "Y",
                            options, 0),
              0);
    const std::string page = testing::readFile(HtmlReport::outputPath());
    if (first.empty()) first = page;
    EXPECT_TRUE(page == first) << threads << " threads";
  }
}

TEST(ParallelEvaluation, ColumnWritesGiveTheSameFilesOnAnyNumberOfThreads) {
  std::vector<double> doubles(kRecords), counts(kRecords);
  std::vector<std::uint8_t> holes((kRecords + 7) / 8, 0);
  for (std::size_t i = 0; i < kRecords; ++i) {
    doubles[i] = static_cast<double>(i) * 0.25;
    counts[i] = static_cast<double>(i % 13);
    if (i % 31 == 0) holes[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
  }
  std::string first;
  for (int threads : kThreadCounts) {
    ThreadCountScope scope(threads);
    const Survey survey;
    std::vector<std::uint8_t> none(holes.size(), 0);
    ASSERT_EQ(updateVariable(survey.daa().c_str(), "D", doubles.data(), none.data()), 0);
    ASSERT_EQ(updateVariable(survey.daa().c_str(), "N", counts.data(), holes.data()), 0);
    std::string values;
    ASSERT_TRUE(readWholeFile(survey.file("hh.daD"), values));
    std::string mask;
    ASSERT_TRUE(readWholeFile(survey.file("hh.msk"), mask));
    if (first.empty()) first = values + mask;
    EXPECT_TRUE(values + mask == first) << threads << " threads";
  }
}

std::int64_t ulpDistance(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : INT64_MAX;
  if (a == b) return 0;  // infinities and signed zeros included
  auto ordered = [](double v) {
    const auto bits = std::bit_cast<std::int64_t>(v);
    return bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
  };
  return std::abs(ordered(a) - ordered(b));
}

TEST(ParallelEvaluation, VectorisedFunctionsAreWithinOneUlpOfTheCLibrary) {
  std::vector<double> grid = {0.0,   -0.0,    1.0,      -1.0,
                              0.5,   2.0,     1e-310,   1e308,
                              -3.5,  MISSING, -MISSING, std::numeric_limits<double>::quiet_NaN(),
                              709.7, -745.2};
  for (double v = -50.0; v < 50.0; v += 0.0173)
    grid.push_back(v);
  for (double v = 1e-300; v < 1e300; v *= 1.7)
    grid.push_back(v);
  std::vector<double> out(grid.size());
  struct Case {
    void (*vector)(const double*, double*, std::size_t);
    double (*scalar)(double);
  };
  const Case cases[] = {{vmath::log, [](double v) { return std::log(v); }},
                        {vmath::exp, [](double v) { return std::exp(v); }},
                        {vmath::sqrt, [](double v) { return std::sqrt(v); }}};
  for (const Case& c : cases) {
    c.vector(grid.data(), out.data(), grid.size());
    for (std::size_t i = 0; i < grid.size(); ++i)
      EXPECT_LE(ulpDistance(out[i], c.scalar(grid[i])), 1) << grid[i];
  }
  const double exponents[] = {0.0, 1.0, -1.0, 0.5, 2.0, 3.0, -2.5, 1e-3, 40.0, MISSING, -MISSING};
  for (double y : exponents) {
    vmath::pow(grid.data(), 1, &y, 0, out.data(), grid.size());
    for (std::size_t i = 0; i < grid.size(); ++i)
      EXPECT_LE(ulpDistance(out[i], std::pow(grid[i], y)), 1) << grid[i] << " ^ " << y;
  }
}

}  // namespace
}  // namespace tessary

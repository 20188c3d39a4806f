// The Tessary side of the peer comparison (bench/peers/run.sh) on the data sets that
// script makes in TESSARY_PEER_DATA; without that variable nothing is registered.
//
//   BM_PeerExpression      LOG(X)*2+IIF(Y>3,1,0) over the 10,000,000 records of records.daH
//   BM_PeerMeanOnKeys      CMEANON(X,B,0) over the same records (1,000 keys)
//   BM_PeerColumnWrite     updateVariable of 10,000,000 doubles into records.daA
//   BM_PeerCrossTab/1, /2  CrossTabulate of tab.daH (2,000,000 records), one-way by ROW
//                          and two-way by ROW and COL, of X weighted by W where F=1
//   BM_PeerSscp            makeSSCP of design.daA (1,000,000 households, 60 candidates)
//                          for design.mdl, the sample as `tessary model ols` forms it
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/data_set.h"
#include "expr/expression_evaluation.h"
#include "expr/expression_parser.h"
#include "platform/column_memory.h"
#include "regression/model_sample.h"
#include "regression/regression.h"
#include "regression/regression_trace.h"
#include "tessary.h"

namespace tessary::bench {
namespace {

std::string dataDirectory() {
  const char* directory = std::getenv("TESSARY_PEER_DATA");
  return directory == nullptr ? "" : std::string(directory) + "/";
}

void evaluateOverRecords(benchmark::State& state, const char* text) {
  DataSet records;
  records.openDataArray(dataDirectory() + "records.daH");
  const auto count = static_cast<std::size_t>(records.recordCount());
  ColumnBuffer<double> result(count);
  ExpressionParser expression;
  if (!expression.parse(text)) state.SkipWithError("the expression does not parse");
  for (auto _ : state) {
    evaluate(expression, records, std::span<double>(result.data(), count), nullptr, 1,
             static_cast<std::int64_t>(count), nullptr);
    benchmark::DoNotOptimize(result.data());
  }
}

void BM_PeerExpression(benchmark::State& state) {
  evaluateOverRecords(state, "LOG(X)*2+IIF(Y>3,1,0)");
}

void BM_PeerMeanOnKeys(benchmark::State& state) {
  evaluateOverRecords(state, "CMEANON(X,B,0)");
}

// Every call writes fresh regions of the value file, so a few calls only.
void BM_PeerColumnWrite(benchmark::State& state) {
  constexpr std::size_t kValues = 10'000'000;
  std::vector<double> values(kValues);
  for (std::size_t i = 0; i < kValues; ++i)
    values[i] = static_cast<double>(i) * 0.5;
  std::vector<std::uint8_t> holes((kValues + 7) / 8, 0);
  const std::string daa = dataDirectory() + "records.daA";
  for (auto _ : state)
    if (updateVariable(daa.c_str(), "WRITTEN", values.data(), holes.data()) != 0)
      state.SkipWithError("updateVariable failed");
}

void BM_PeerCrossTab(benchmark::State& state) {
  const std::string path = dataDirectory() + "tab.daH";
  const int mode = static_cast<int>(state.range(0));
  unsigned char options[15] = {1, 1, 1, 1};
  for (auto _ : state)
    if (CrossTabulate(nullptr, path.c_str(), 3, "F=1", "W", mode, "X", "ROW",
                      mode == 1 ? "" : "COL", options, 0) != 0)
      state.SkipWithError("CrossTabulate failed");
}

void BM_PeerSscp(benchmark::State& state) {
  const std::string daa = dataDirectory() + "design.daA";
  const std::string model = dataDirectory() + "design.mdl";
  setTraceStream(nullptr);
  const ModelSample sample = modelSample(daa, model);
  Regression read;
  read.loading(model);
  std::vector<double> sscp(static_cast<std::size_t>(packedSize(read.numOfRgrs)));
  for (auto _ : state) {
    std::vector<std::uint8_t> mask = sample.mask;
    std::vector<double> weights = sample.weights;
    if (makeSSCP(daa.c_str(), model.c_str(), mask.data(), weights.data(), sscp.data()) !=
        sample.included)
      state.SkipWithError("makeSSCP failed");
  }
}

const bool registered = [] {
  if (dataDirectory().empty()) return false;
  auto add = [](const char* name, void (*function)(benchmark::State&)) {
    return benchmark::RegisterBenchmark(name, function)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  };
  add("BM_PeerExpression", BM_PeerExpression);
  add("BM_PeerMeanOnKeys", BM_PeerMeanOnKeys);
  add("BM_PeerColumnWrite", BM_PeerColumnWrite)->Iterations(3);
  add("BM_PeerCrossTab", BM_PeerCrossTab)->Arg(1)->Arg(2);
  add("BM_PeerSscp", BM_PeerSscp);
  return true;
}();

}  // namespace
}  // namespace tessary::bench

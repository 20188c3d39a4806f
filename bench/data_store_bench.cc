// Data array store: whole-variable reads and writes of 10 million records per code
// against a raw positional read or write of the same bytes, and a cluster variable
// read at household level against a household variable.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <span>
#include <string>

#include "data/data_set.h"
#include "data/data_set_builder.h"
#include "data/encodings.h"
#include "platform/column_memory.h"
#include "platform/file.h"
#include "platform/paths.h"

namespace {

using namespace tessary;

constexpr std::uint32_t kRecords = 10'000'000;
constexpr std::uint32_t kClusters = 500'000;
const char kCodes[] = {'1', '4', 'B', 'S', 'i', 'D'};

double sample(char code, std::uint32_t i) {
  switch (code) {
    case '1':
      return i % 2;
    case '4':
      return i % 14;
    case 'B':
      return i % 255;
    case 'S':
      return i % 60000;
    case 'i':
      return static_cast<double>(i % 100000) - 50000.0;
    default:
      return i * 0.5;
  }
}

std::string variableName(char code) {
  return std::string("V") + (code == 'i' ? "SI" : "") + code;
}

// One data set for the whole run, removed at exit.
struct BenchData {
  std::string dir;
  DataArray households;
  ColumnBuffer<double> column;

  BenchData() {
    dir = temporaryDirectory() + "tessary-bench-" + std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(dir);
    createDataArray(dir + "hh.daH", kRecords);
    createDataArray(dir + "cl.daH", kClusters);
    households.open(dir + "hh.daH");
    households.loadHeader();
    column.resize(kRecords);
    for (char code : kCodes) {
      households.addVariable(variableName(code), {.reservedByte1 = 2});
      for (std::uint32_t i = 0; i < kRecords; ++i)
        column[i] = sample(code, i);
      households.setValue(variableName(code), std::span<double>(column.data(), kRecords));
    }
    households.saveHeader();

    DataArray clusters;
    clusters.open(dir + "cl.daH");
    clusters.loadHeader();
    clusters.addVariable("CLVALUE", {.reservedByte1 = 2});
    for (std::uint32_t i = 0; i < kClusters; ++i)
      column[i] = i * 0.25;
    clusters.setValue("CLVALUE", std::span<double>(column.data(), kClusters));
    clusters.saveHeader();
    writeDataRef(
        dir + "cl.daR", 1.0,
        std::vector<DataRefEntry>(kClusters, DataRefEntry{1, kRecords / kClusters, false, 0}));
    writeCombinedDescription(dir + "survey.daA", "hh.daH", "cl.daH", "cl.daR");
  }
  ~BenchData() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

BenchData& data() {
  static BenchData instance;
  return instance;
}

void BM_GetValue(benchmark::State& state) {
  const char code = kCodes[state.range(0)];
  BenchData& d = data();
  std::span<double> out(d.column.data(), kRecords);
  for (auto _ : state)
    benchmark::DoNotOptimize(d.households.getValue(variableName(code), out, 1, kRecords));
  state.SetLabel(std::string(1, code));
  state.SetBytesProcessed(state.iterations() * kRecords * 8);
}
BENCHMARK(BM_GetValue)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_RawPreadOfRegion(benchmark::State& state) {
  const char code = kCodes[state.range(0)];
  BenchData& d = data();
  const VariableRecord& record = *d.households.find(variableName(code));
  const std::uint64_t bytes = regionBytes(code, kRecords);
  File file;
  file.open(d.dir + "hh.daD", File::Mode::kRead);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        file.readAt(static_cast<std::uint64_t>(record.dataOffset), d.column.data(), bytes));
  state.SetLabel(std::string(1, code));
}
BENCHMARK(BM_RawPreadOfRegion)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_SetValue(benchmark::State& state) {
  const char code = kCodes[state.range(0)];
  BenchData& d = data();
  for (std::uint32_t i = 0; i < kRecords; ++i)
    d.column[i] = sample(code, i);
  std::span<double> values(d.column.data(), kRecords);
  for (auto _ : state)
    d.households.setValue(variableName(code), values);
  state.SetLabel(std::string(1, code));
}
BENCHMARK(BM_SetValue)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_RawPwriteOfRegion(benchmark::State& state) {
  const char code = kCodes[state.range(0)];
  BenchData& d = data();
  const VariableRecord& record = *d.households.find(variableName(code));
  const std::uint64_t bytes = regionBytes(code, kRecords);
  ColumnBuffer<unsigned char> encoded(bytes);
  File file;
  file.open(d.dir + "hh.daD", File::Mode::kReadWrite);
  file.readAt(static_cast<std::uint64_t>(record.dataOffset), encoded.data(), bytes);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        file.writeAt(static_cast<std::uint64_t>(record.dataOffset), encoded.data(), bytes));
  state.SetLabel(std::string(1, code));
}
BENCHMARK(BM_RawPwriteOfRegion)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// A data set read at level 0 of 10 million households: a household 'D' variable, then a cluster 'D'
// variable of 500,000 clusters spread through the reference.
void BM_CdaRead(benchmark::State& state) {
  BenchData& d = data();
  DataSet survey;
  survey.openCombined(d.dir + "survey.daA");
  const char* name = state.range(0) == 0 ? "VD" : "CLVALUE";
  std::span<double> out(d.column.data(), kRecords);
  for (auto _ : state)
    benchmark::DoNotOptimize(survey.read(name, out, 1, kRecords));
  state.SetLabel(state.range(0) == 0 ? "household variable" : "cluster variable");
}
BENCHMARK(BM_CdaRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

// CrossTabulate over a data array of 2 million records (one-way: 50 integer rows;
// two-way: 50 x 20), with a filter and a weight, against reading the columns it
// involves with getValue.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "frame/trace.h"
#include "platform/column_memory.h"
#include "platform/parallel_threads.h"
#include "tab/cross_table.h"
#include "tessary.h"

namespace {

constexpr std::uint32_t kRecords = 2'000'000;

struct TabData {
  std::string dir;
  std::string path;

  TabData() {
    dir = (std::filesystem::temp_directory_path() / "tessary-xtab-bench").string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    setenv("TMPDIR", dir.c_str(), 1);
    path = dir + "/tab.daH";
    tessary::createDataArray(path, kRecords);
    tessary::DataArray data;
    data.open(path);
    data.loadHeader();
    std::mt19937_64 random(3);
    std::vector<double> row(kRecords), col(kRecords), x(kRecords), w(kRecords), f(kRecords);
    std::lognormal_distribution<double> income(8, 1);
    for (std::uint32_t i = 0; i < kRecords; ++i) {
      row[i] = 1 + static_cast<double>(random() % 50);
      col[i] = 1 + static_cast<double>(random() % 20);
      x[i] = income(random);
      w[i] = 1 + static_cast<double>(random() % 300) / 100.0;
      f[i] = (random() % 10) < 8 ? 1 : 0;
    }
    for (auto [name, values] :
         {std::pair{"ROW", &row}, {"COL", &col}, {"X", &x}, {"W", &w}, {"F", &f}}) {
      data.addVariable(name, {.reservedByte1 = 2});
      data.setValue(name, *values);
    }
    data.saveHeader();
  }
  ~TabData() { std::filesystem::remove_all(dir); }
};

TabData& tabData() {
  static TabData data;
  return data;
}

// Argument: the mode, 1 one-way (ROW) or 2 two-way (ROW by COL).
void BM_CrossTabulate(benchmark::State& state) {
  TabData& data = tabData();
  const int mode = static_cast<int>(state.range(0));
  unsigned char options[15] = {1, 1, 1, 1};
  for (auto _ : state)
    benchmark::DoNotOptimize(CrossTabulate(nullptr, data.path.c_str(), 3, "F=1", "W", mode, "X",
                                           "ROW", mode == 1 ? "" : "COL", options, 0));
}
BENCHMARK(BM_CrossTabulate)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline: the same columns read with getValue (4 for one-way, 5 for two-way),
// each into a buffer of its own as a call that needs them together must.
void BM_CrossTabulate_ReadColumns(benchmark::State& state) {
  TabData& data = tabData();
  const int columns = static_cast<int>(state.range(0));
  const char* names[] = {"F", "W", "X", "ROW", "COL"};
  for (auto _ : state) {
    tessary::DataArray array;
    array.open(data.path);
    array.loadHeader();
    tessary::ColumnBuffer<double> buffers[5];
    for (int c = 0; c < columns; ++c) {
      buffers[c].resize(kRecords);
      array.getValue(names[c], {buffers[c].data(), kRecords}, 1, kRecords);
    }
    benchmark::DoNotOptimize(buffers[0].data());
  }
}
BENCHMARK(BM_CrossTabulate_ReadColumns)
    ->Arg(4)
    ->Arg(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The accumulation alone (the cells of a 50 x 20 table from 2 million records in
// memory) on 1 and 2 threads: the speed-up of the block-parallel tabulation.
void BM_CrossTableAccumulate(benchmark::State& state) {
  std::mt19937_64 random(5);
  std::vector<double> row(kRecords), col(kRecords), x(kRecords), w(kRecords);
  for (std::uint32_t i = 0; i < kRecords; ++i) {
    row[i] = static_cast<double>(random() % 50);
    col[i] = static_cast<double>(random() % 20);
    x[i] = static_cast<double>(random() % 10000) / 7.0;
    w[i] = 1 + static_cast<double>(random() % 300) / 100.0;
  }
  std::ostream* trace = tessary::setTraceStream(nullptr);
  tessary::TableDimension rows, columns;
  rows.form(row.data(), kRecords, {}, 500);
  columns.form(col.data(), kRecords, {}, 100);
  tessary::setThreadCount(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(tessary::crossTabulate({x, w, row, col}, rows, &columns));
  tessary::useEnvironmentThreadCount();
  tessary::setTraceStream(trace);
}
BENCHMARK(BM_CrossTableAccumulate)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

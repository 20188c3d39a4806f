// A data set of 10 million households in 500,000 clusters for the expression
// benchmarks, built once per run in the temporary directory and removed at exit.
#pragma once

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/data_set.h"
#include "data/data_set_builder.h"
#include "frame/missing.h"
#include "platform/column_memory.h"
#include "platform/file.h"
#include "platform/paths.h"

namespace tessary::bench {

constexpr std::uint32_t kRecords = 10'000'000;
constexpr std::uint32_t kClusters = 500'000;
constexpr std::uint32_t kKeys = 1'000;

struct ExpressionBenchData {
  std::string dir;
  DataSet households;
  DataSet combined;
  std::vector<double> x;  // the columns as the fused loops see them
  std::vector<double> y;

  ExpressionBenchData() {
    dir = temporaryDirectory() + "tessary-expr-bench-" + std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(dir);
    createDataArray(dir + "hh.daH", kRecords);
    createDataArray(dir + "cl.daH", kClusters);
    std::vector<DataRefEntry> entries(kClusters, DataRefEntry{1, kRecords / kClusters, false, 0});
    writeDataRef(dir + "cl.daR", 1.0, entries);
    writer.open(dir + "hh.daH");
    writer.loadHeader();
    x.resize(kRecords);
    y.resize(kRecords);
    std::vector<double> keys(kRecords);
    for (std::uint32_t i = 0; i < kRecords; ++i) {
      x[i] = i % 97 == 0 ? MISSING : 1.0 + (i % 1013) * 0.25;
      y[i] = static_cast<double>(i % 7);
      keys[i] = static_cast<double>((i * 7919u) % kKeys);
    }
    store("X", x);
    store("Y", y);
    store("B", keys);
    writer.saveHeader();
    households.openDataArray(dir + "hh.daH");
    writeWholeFile(dir + "s.daA", "hh.daH\ncl.daH\ncl.daR\n");
    combined.openCombined(dir + "s.daA");
  }
  ~ExpressionBenchData() {
    combined = DataSet();
    households = DataSet();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  static ExpressionBenchData& instance() {
    static ExpressionBenchData data;
    return data;
  }

 private:
  void store(const char* name, std::vector<double> values) {
    writer.addVariable(name, {.reservedByte1 = 2});
    writer.setValue(name, values);
  }

  DataArray writer;
};

}  // namespace tessary::bench

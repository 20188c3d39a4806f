// The small combined data set the data-set fuzz targets read, and the reading they do.
//
// Households (16), clusters (4) and regions (2) with variables of several encodings,
// labels and references, built in a private directory named after the target and the
// process. A target overwrites one file with its input and reads everything through
// it: the readers return values or raise a message, and never crash, read outside a
// buffer or allocate for a count the files cannot back. The seed maker writes the same
// files, so seeds and fixture agree.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/cda.h"
#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/presenter.h"

namespace tessary::fuzzing {

inline void require(bool condition) {
  if (!condition) std::abort();
}

inline void addVariable(const std::string& path, const char* name, char kind,
                        std::vector<double> values) {
  DataArray data;
  data.open(path);
  data.loadHeader();
  data.addVariable(name, {.textA = name, .kind = kind, .reservedByte1 = 2});
  data.setValue(name, values);
  std::vector<std::uint8_t> holes(data.maskBytes, 0);
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i] == MISSING) holes[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
  data.setMask(name, holes);
  data.saveHeader();
}

// Writes the data set into `directory` (ending in '/').
inline void buildDataSet(const std::string& directory) {
  const double M = MISSING;
  const std::string hh = directory + "hh.daH", cl = directory + "cl.daH", rg = directory + "rg.daH";
  createDataArray(hh, 16);
  createDataArray(cl, 4);
  createDataArray(rg, 2);
  addVariable(hh, "ID", 'N', {11, 11, 11, 12, 12, 12, 12, 12, 0, 0, 21, 21, 21, 21, 35, 35});
  addVariable(hh, "X", 'N', {1, 2, M, 4, 5, 5, -7, 8.5, 9, 0, 1e6, -1e-3, 3, 3, M, 2});
  addVariable(hh, "Y", 'N', {0, 1, 1, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1, 1, 0, 1});
  addVariable(hh, "R", 'C', {1, 2, 3, 1, 2, 3, 1, M, 2, 3, 1, 2, 3, 1, 2, 3});
  addVariable(hh, "B", 'N', {200, 0, 17, 3, 99, 254, 1, 2, 3, 4, 5, 6, 7, 8, 9, M});
  addVariable(hh, "S", 'N', {-300, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  addVariable(cl, "Z", 'C', {1, 2, 2, 9});
  addVariable(cl, "U", 'N', {0.5, M, 2.5, 4});
  addVariable(rg, "W", 'N', {10, 20});
  writeDataRef(directory + "cl.daR", 1.0,
               {{1, 3, false, 1},
                {1, 5, false, 2},
                {0, 2, false, 0},
                {1, 4, false, 3},
                {1, 0, false, 4},
                {2, 2, false, 5}});
  writeDataRef(directory + "rg.daR", 10.0, {{1, 3, false, 1}, {1, 1, false, 2}});
  writeWholeFile(directory + "hh.daL", "[R]\nnLevels=3\n1=North\n3=South\n[Q#1$A]\n-1=x\n");
  writeWholeFile(directory + "cl.daL", "[Z]\n1=Urban\n2=Rural\n");
  writeWholeFile(directory + "s.daA", "hh.daH\ncl.daH\ncl.daR\nrg.daH\nrg.daR\n");
}

// A private copy of the data set for one fuzz target, removed at exit. Directories of
// earlier runs whose process has ended (a finding stops a run without clean-up) are
// removed when the next run starts.
class Fixture {
 public:
  explicit Fixture(const std::string& target) {
    const std::string prefix = "tessary_" + target + "_fuzz_";
    const std::filesystem::path temporary(temporaryDirectory());
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(temporary, ignored)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(prefix, 0) != 0) continue;
      const long pid = std::atol(name.c_str() + prefix.size());
      if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0)
        std::filesystem::remove_all(entry.path(), ignored);
    }
    directory_ = temporaryDirectory() + prefix + std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(directory_);
    buildDataSet(directory_);
    setMessageHandler([](void*, const char*, const char*, unsigned int) -> int { return kIdOk; });
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;

  // Copies the value, hole and label files of data array `from` to data array `to`.
  bool copyDataArray(std::string_view from, std::string_view to) const {
    for (const char* extension : {".daD", ".msk", ".daL"})
      std::filesystem::copy_file(file(std::string(from) + extension),
                                 file(std::string(to) + extension),
                                 std::filesystem::copy_options::overwrite_existing);
    return true;
  }
  std::string file(std::string_view name) const { return directory_ + std::string(name); }
  // Writes the fuzz input as `name`, in place: a staged and synced whole-file write, or
  // even a truncation to nothing (which some file systems flush), would cost more than
  // the reading under test.
  void write(std::string_view name, const std::uint8_t* bytes, std::size_t size) const {
    File out;
    require(out.open(file(name), File::Mode::kOpenOrCreate) &&
            out.writeAt(0, bytes, size) == size && out.truncate(size));
  }

 private:
  std::string directory_;
};

// Runs `read`; a failure must carry a message.
template <class Read>
void expectValueOrMessage(Read&& read) {
  try {
    read();
  } catch (const Failure& failure) {
    require(!failure.text().empty());
  }
}

// Every variable of a data array through every reader: values, holes, categories,
// labels, the global mask.
inline void readDataArray(DataArray& data) {
  std::size_t visited = 0;
  for (const auto& entry : data.variables()) {
    if (++visited > 32) break;
    const std::string& name = entry.first;
    const char kind = entry.second.kind;
    expectValueOrMessage([&] {
      ColumnBuffer<double> column;
      data.readColumn(name, column);
    });
    expectValueOrMessage([&] {
      std::vector<std::uint8_t> holes(data.maskBytes);
      data.getMask(name, holes);
    });
    expectValueOrMessage([&] {
      LabelMap labels;
      data.loadLabels(name, labels);
      if (kind != 'C' || data.recordCount == 0) return;
      data.requireRecordCountFitsValueFile();
      std::vector<double> out(data.recordCount);
      std::vector<Category> categories;
      data.getCategory(name, out, 1, data.recordCount, categories);
    });
  }
  expectValueOrMessage([&] {
    std::vector<std::uint8_t> mask(data.maskBytes);
    data.getGlobalMask(mask);
  });
}

// Every variable name the fixture uses, read at every level of a combined data array.
inline void readCombined(CDA& cda) {
  const int levels = cda.auxPresent() ? 3 : 2;
  for (int cursor = 0; cursor < levels; ++cursor) {
    cda.cursor = cursor;
    const std::uint32_t records = cda.level(cursor).recordCount;
    if (records == 0) continue;
    std::vector<double> out(cda.maxRecordCount());
    for (const char* name : {"ID", "X", "R", "Z", "U", "W"}) {
      expectValueOrMessage([&] { cda.getValue(name, out, 1, records); });
      expectValueOrMessage([&] {
        std::vector<Category> categories;
        cda.getCategory(name, out, 1, records, categories);
      });
    }
  }
}

}  // namespace tessary::fuzzing

// The small combined data set the data-set fuzz targets read, and the reading they do.
//
// Households (16), clusters (4) and regions (2) with variables of several encodings,
// labels and references, built in the target's scratch directory (fuzz_scratch.h). A target
// overwrites one file with its input and reads everything through it: the readers return values or
// raise a message, and never crash, read outside a buffer or allocate for a count the files cannot
// back. The seed maker writes the same files, so seeds and fixture agree.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_set.h"
#include "data/data_set_builder.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "fuzz_scratch.h"
#include "platform/file.h"
#include "platform/presenter.h"

namespace tessary::fuzzing {

inline void addVariable(const std::string& path, const char* name, char kind,
                        std::vector<double> values) {
  DataSet data;
  data.openDataArray(path);
  StoreOptions options;
  options.variable = {.textA = name, .kind = kind, .reservedByte1 = 2};
  data.storeColumn(name, values, options);
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
  DataSet households;
  households.openDataArray(hh);
  households.header(0).headerTextA = makeTextField("ID");
  households.saveHeader();
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

// A private copy of the data set for one fuzz target, in its scratch directory.
class Fixture {
 public:
  explicit Fixture(const std::string& target) : directory_(scratchDirectory(target)) {
    buildDataSet(directory_);
    setMessageHandler([](void*, const char*, const char*, unsigned int) -> int { return kIdOk; });
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

// Every variable through every reader: values at each level they reach (coarser ones
// spread through the references), categories and labels, holes, the global mask.
inline void readDataSet(DataSet& data) {
  for (int level = 0; level < data.levelCount(); ++level) {
    data.setLevel(level);
    for (int stored = level; stored < data.levelCount(); ++stored) {
      std::size_t visited = 0;
      for (const auto& entry : data.header(stored).variables()) {
        if (++visited > 32) break;
        const std::string& name = entry.first;
        const char kind = entry.second.kind;
        expectValueOrMessage([&] { data.readColumn(name); });
        expectValueOrMessage([&] {
          std::vector<Category> categories;
          if (kind == 'C') data.categorize(name, categories);
        });
      }
    }
    expectValueOrMessage([&] {
      std::vector<std::uint8_t> bitmap;
      data.holeUnion(bitmap);
      data.globalMask(bitmap);
    });
  }
}

}  // namespace tessary::fuzzing

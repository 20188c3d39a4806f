// Damaged data sets: whatever bytes a file holds, reading it ends in a value or in a
// message, never in a crash or a read outside a buffer (this test earns its keep in
// the sanitizer run).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/cda.h"
#include "data/data_set_builder.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "test_support.h"

namespace tessary {
namespace {

using testing::failureText;
using testing::MessageRecorder;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

void addVariable(const std::string& path, const char* name, char kind, std::vector<double> values) {
  DataArray data;
  data.open(path);
  data.loadHeader();
  data.addVariable(name, {.kind = kind, .reservedByte1 = 2});
  data.setValue(name, values);
  const std::vector<std::uint8_t> holes((values.size() + 7) / 8, 0);
  data.setMask(name, holes);
  data.saveHeader();
}

// Offsets of the numeric fields of a header with its first variable record.
const std::size_t kHeaderFields[] = {10,        11,        13,        18,        21,
                                     538 + 0,   538 + 773, 538 + 777, 538 + 780, 538 + 781,
                                     538 + 784, 538 + 801, 538 + 804, 538 + 809, 538 + 810};

// Exercises every reading path of the data set once; returns normally or by a message.
void readEverything(const std::string& daa) {
  MessageRecorder quiet;
  CDA cda(daa);
  cda.load();
  std::vector<double> out(4096);
  std::vector<std::uint8_t> bitmap(4096);
  std::vector<Category> categories;
  for (int cursor = 0; cursor <= 2; ++cursor) {
    cda.cursor = cursor;
    for (const char* name : {"size", "flag", "urban", "zone", "rain"}) {
      try {
        const std::int64_t last = std::min<std::int64_t>(cda.level(cursor).recordCount, 4096);
        if (last >= 1) cda.getValue(name, out, 1, last);
        if (last >= 1 && cursor > 0) cda.getCategory(name, out, 1, last, categories);
      } catch (const Failure&) {
      }
    }
  }
  for (int level = 0; level <= 2; ++level) {
    DataArray& data = cda.level(level);
    if (data.maskBytes > bitmap.size()) continue;
    for (const char* name : {"size", "flag", "urban", "zone", "rain"}) {
      try {
        data.getMask(name, bitmap);
      } catch (const Failure&) {
      }
    }
    try {
      data.getGlobalMask(bitmap);
    } catch (const Failure&) {
    }
  }
}

TEST(CorruptedFiles, DamagedHeadersReferencesAndValueFilesNeverCrash) {
  ScratchDir dir;
  createDataArray(dir.file("hh.daH"), 40);
  createDataArray(dir.file("cl.daH"), 6);
  createDataArray(dir.file("rg.daH"), 2);
  std::vector<double> size(40), flag(40);
  for (int i = 0; i < 40; ++i) {
    size[i] = 1000 + i;
    flag[i] = i % 2;
  }
  addVariable(dir.file("hh.daH"), "size", 'N', size);
  addVariable(dir.file("hh.daH"), "flag", 'N', flag);
  addVariable(dir.file("cl.daH"), "urban", 'N', {1.5, 2, 3, 4, 5, 6});
  addVariable(dir.file("cl.daH"), "zone", 'C', {1, 2, 1, 2, 3, 3});
  addVariable(dir.file("rg.daH"), "rain", 'N', {-3, 9});
  writeDataRef(
      dir.file("cl.daR"), 10.0,
      {{1, 5, false, 1}, {1, 10, false, 2}, {2, 5, false, 3}, {1, 0, true, 0}, {2, 20, false, 4}});
  writeDataRef(dir.file("rg.daR"), 1.0, {{1, 3, false, 1}, {1, 3, false, 2}});
  const std::string daa = dir.file("s.daA");
  writeFile(daa, "hh.daH\ncl.daH\ncl.daR\nrg.daH\nrg.daR\n");
  ASSERT_NO_THROW(readEverything(daa));

  const std::vector<std::string> names = {"hh.daH", "cl.daH", "rg.daH", "cl.daR", "rg.daR",
                                          "hh.daD", "cl.daD", "hh.msk", "s.daA"};
  std::vector<std::string> originals;
  for (const std::string& name : names)
    originals.push_back(readFile(dir.file(name)));

  std::mt19937 random(4242);
  for (int trial = 0; trial < 300; ++trial) {
    const std::size_t which = random() % names.size();
    std::string damaged = originals[which];
    switch (random() % 4) {
      case 0:  // a few random bytes anywhere
        for (int k = 0; k < 3 && !damaged.empty(); ++k)
          damaged[random() % damaged.size()] = static_cast<char>(random());
        break;
      case 1:  // a numeric header field set to a random or an extreme value
        if (names[which].ends_with(".daH")) {
          const std::size_t at = kHeaderFields[random() % std::size(kHeaderFields)];
          if (at < damaged.size()) damaged[at] = static_cast<char>(random() % 2 ? 0xFF : random());
        } else if (!damaged.empty()) {
          damaged[random() % std::min<std::size_t>(damaged.size(), 16)] = static_cast<char>(0x7F);
        }
        break;
      case 2:  // truncated
        damaged.resize(damaged.empty() ? 0 : random() % damaged.size());
        break;
      default:  // grown by garbage
        damaged += std::string(1 + random() % 2000, static_cast<char>(random()));
        break;
    }
    writeFile(dir.file(names[which]), damaged);
    try {
      readEverything(daa);
    } catch (const Failure&) {
    }
    writeFile(dir.file(names[which]), originals[which]);
  }
  // The originals read as before.
  CDA cda(daa);
  cda.load();
  std::vector<double> out(40);
  cda.getValue("size", out, 1, 40);
  EXPECT_EQ(out, size);
}

TEST(CorruptedFiles, HeaderCountsBeyondTheValueFileFailWhenTheHeaderLoads) {
  ScratchDir dir;
  createDataArray(dir.file("hh.daH"), 40);
  const std::string header = readFile(dir.file("hh.daH"));
  const struct {
    std::size_t offset;
    const char* claim;
  } cases[] = {{10, "claims 4294967295 records, more than its value file can hold"},
               {18, "claims a global mask of 4294967295 bytes, more than its value file holds"}};
  for (const auto& [offset, claim] : cases) {
    std::string damaged = header;
    damaged.replace(offset, 4, "\xFF\xFF\xFF\xFF");
    writeFile(dir.file("hh.daH"), damaged);
    DataArray data;
    data.open(dir.file("hh.daH"));
    EXPECT_EQ(failureText([&] { data.loadHeader(); }),
              "DataArray: the header of " + dir.file("hh.daH") + " " + claim + ".\n");
  }
}

}  // namespace
}  // namespace tessary

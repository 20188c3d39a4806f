#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "data/data_array.h"
#include "data/data_ref.h"
#include "data/data_set_builder.h"
#include "data/encodings.h"
#include "data_fixture.h"
#include "frame/failure.h"
#include "frame/missing.h"

namespace tessary {
namespace {

using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

using testing::failureText;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A fresh data array of `records` records with one variable "V".
struct Fixture {
  ScratchDir dir;
  DataArray data;
  explicit Fixture(std::uint32_t records) {
    createDataArray(dir.file("set.daH"), records);
    data.open(dir.file("set.daH"));
    data.loadHeader();
    data.addVariable("v", {.reservedByte1 = 2});
  }
  // Writes values, returns the caller's array as the writer left it.
  std::vector<double> write(std::vector<double> values) {
    data.setValue("v", values);
    return values;
  }
  std::vector<double> read(std::int64_t from, std::int64_t to) {
    std::vector<double> out(static_cast<std::size_t>(std::llabs(to - from) + 1), -99.0);
    data.getValue("V", out, from, to);
    return out;
  }
  const VariableRecord& record() { return *data.find("V"); }
  // The stored bytes of the variable's region.
  std::string region(std::size_t bytes) {
    return readFile(dir.file("set.daD"))
        .substr(static_cast<std::size_t>(record().dataOffset), bytes);
  }
};

std::string bytes(std::initializer_list<int> list) {
  std::string out;
  for (int b : list)
    out += static_cast<char>(b);
  return out;
}

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(DataValues, WriterChoosesTheCompactCodeWithStrictThresholds) {
  struct Case {
    std::vector<double> values;
    char code;
  };
  const double M = MISSING;
  // Around the limits of each code, with and without a missing value.
  // clang-format off
  const std::vector<Case> cases = {
      {{0, 1, 1, 0}, '1'}, {{0, 1, M, 0}, '2'}, {{0, 1, 2, 2}, '2'}, {{0, 1, 2, M}, '4'},
      {{0, 14, 3, 1}, '4'}, {{0, 15, 3, 1}, 'B'}, {{0, 13, M, 1}, '4'}, {{0, 14, M, 1}, 'B'},
      {{0, 254, 1, 1}, 'B'}, {{0, 255, 1, 1}, 'S'}, {{0, 253, M, 1}, 'B'},
      {{0, 65534, 1, 1}, 'S'}, {{0, 65535, 1, 1}, 'I'},
      {{4294967294.0, 0, 1, 1}, 'I'}, {{4294967295.0, 0, 1, 1}, 'D'},
      {{-5, 100, 0, 1}, 'b'}, {{-126, 126, 0, 1}, 'b'}, {{-127, 0, 0, 1}, 's'},
      {{-128, 0, 0, 1}, 's'}, {{-1, 126, M, 1}, 's'},
      {{-32766, 5, 0, 0}, 's'}, {{-32767, 5, 0, 0}, 'i'},
      {{-2147483646.0, 0, 0, 0}, 'i'}, {{-2147483647.0, 0, 0, 0}, 'D'},
      {{0, 2.5, 1, 1}, 'D'}, {{M, M, kNaN, -M}, 'D'}, {{3, 3, 3, 3}, '4'}, {{2, 2, 2, 2}, '2'},
      {{1e300, 0, 0, 0}, 'D'}};
  // clang-format on
  for (const Case& c : cases) {
    Fixture f(4);
    std::vector<double> stored = f.write(c.values);
    EXPECT_EQ(f.record().encoding, c.code) << c.values[0] << " " << c.values[1];
    std::vector<double> back = f.read(1, 4);
    for (std::size_t i = 0; i < 4; ++i) {
      const double expected = c.code != 'D' && !std::isfinite(c.values[i]) ? MISSING : c.values[i];
      EXPECT_TRUE(sameBits(back[i], expected)) << c.code << " record " << i + 1;
      EXPECT_TRUE(sameBits(stored[i], expected)) << c.code << " record " << i + 1;
    }
  }
}

TEST(DataValues, RecordFieldsAfterAWrite) {
  Fixture f(5);
  f.write({3, -2, MISSING, 7, kNaN});
  const VariableRecord& r = f.record();
  EXPECT_TRUE(r.encoding == 'b' && r.width == 1 && r.validCount == 3 && r.isInteger);
  EXPECT_EQ(std::make_pair(r.minValue, r.maxValue), std::make_pair(-2.0, 7.0));
  EXPECT_EQ(f.region(5), bytes({3, 0xFE, 127, 7, 127}));
  f.write({MISSING, MISSING, MISSING, MISSING, MISSING});
  EXPECT_TRUE(r.encoding == 'D' && r.validCount == 0 && std::isinf(r.minValue) &&
              std::isinf(r.maxValue));
  // Not-a-number stays as stored in a 'D' variable, also in the caller's array.
  const std::vector<double> stored = f.write({0.5, kNaN, 1, 2, 3});
  EXPECT_TRUE(std::isnan(stored[1]) && std::isnan(f.read(2, 2)[0]) && !r.isInteger);
}

TEST(DataValues, PackedFieldsFillBytesFromTheTopAndMultiByteElementsAreLittleEndian) {
  const struct {
    std::vector<double> values;
    char code;
    std::string region;
  } cases[] = {{{1, 0, 1, 1, 0, 0, 0, 1, 1, 1}, '1', bytes({0xB1, 0xC0})},
               {{1, MISSING, 0, 1, 1, 0}, '2', bytes({0x71, 0x40})},
               {{9, MISSING, 2}, '4', bytes({0x9F, 0x20})},
               {{300, 65534}, 'S', bytes({0x2C, 0x01, 0xFE, 0xFF})},
               {{-2, MISSING}, 'b', bytes({0xFE, 0x7F})},
               {{-40000, MISSING}, 'i', bytes({0xC0, 0x63, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})}};
  for (const auto& c : cases) {
    Fixture f(static_cast<std::uint32_t>(c.values.size()));
    f.write(c.values);
    EXPECT_EQ(f.record().encoding, c.code);
    EXPECT_EQ(f.region(c.region.size()), c.region) << c.code;
    // The global mask, then the region.
    EXPECT_EQ(readFile(f.dir.file("set.daD")).size(), (c.values.size() + 7) / 8 + c.region.size());
  }
}

TEST(DataValues, RangesReadOnlyTheirBytesInEitherOrder) {
  Fixture f(10);
  f.write({1, 0, 1, 1, 0, 0, 0, 1, 1, 1});
  // Records 9..10 sit in byte 1 alone, which ends the file.
  EXPECT_EQ(f.read(9, 10), (std::vector<double>{1, 1}));
  EXPECT_EQ(f.read(5, 3), (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(f.read(2, 3), (std::vector<double>{0, 1}));
  EXPECT_EQ(failureText([&] { f.read(1, 11); }), "DataArray::getValue:Range beyond: 1-11");
  EXPECT_EQ(failureText([&] { f.read(0, 2); }), "DataArray::getValue:Range beyond: 0-2");
  std::vector<double> small(2);
  EXPECT_EQ(failureText([&] { f.data.getValue("v", small, 1, 3); }),
            "DataArray::getValue: INVALID ADDRESS");
  EXPECT_EQ(failureText([&] { f.data.getValue("w", small, 1, 2); }),
            "DataArray::getValue:Variable W not found.");
  f.data.addVariable("e", {.kind = 'E', .validCount = 5});
  EXPECT_EQ(failureText([&] { f.data.getValue("e", small, 1, 2); }), "E is an expression.");
  f.data.find("V")->valueTag = -4;
  EXPECT_EQ(f.data.getValue("v", small, 1, 2), 0);
  f.data.find("V")->valueTag = 6;
  EXPECT_EQ(f.data.getValue("v", small, 1, 2), 6);
}

TEST(DataValues, RewritesGoToFreshRegionsAndFreedRegionsWaitForTheHeaderSave) {
  Fixture f(16);
  const std::vector<double> flags(16, 1.0), bytesWide(16, 200.0);
  // (values, offset written to, value file size after): the 2-byte global mask comes
  // first; a region given up is reused only after a save.
  const struct {
    const std::vector<double>* values;
    bool saveFirst;
    std::int64_t offset;
    std::size_t fileSize;
  } steps[] = {{&flags, false, 2, 4},
               {&bytesWide, false, 4, 20},
               {&flags, false, 20, 22},
               {&flags, true, 2, 22},
               {&flags, false, 4, 22}};
  for (const auto& step : steps) {
    if (step.saveFirst) {
      ASSERT_TRUE(f.data.saveHeader());
    }
    f.write(*step.values);
    EXPECT_EQ(f.record().dataOffset, step.offset);
    EXPECT_EQ(readFile(f.dir.file("set.daD")).size(), step.fileSize);
    EXPECT_EQ(f.read(1, 16), *step.values);
  }
}

TEST(DataValues, AFailedRewriteLeavesTheOldVariableReadable) {
  // The value write, the mask write or the header save fails, as on a full disk.
  for (const char* failing : {"set.daD", "set.msk", "set.daH"}) {
    Fixture f(10);
    const std::vector<double> old = {1, 2, 3, 4, 5, 6, 7, 8, 9, MISSING};
    f.write(old);
    f.data.setMask("v", std::vector<std::uint8_t>{0x00, 0x02});
    ASSERT_TRUE(f.data.saveHeader());
    {
      testing::ScopedFaultHook full(testing::failing(FileOperation::kWrite, failing, ENOSPC));
      EXPECT_NE(failureText([&] {
                  f.write({9, 8, 7, 6, 5, 4, 3, 2, MISSING, MISSING});
                  f.data.setMask("v", std::vector<std::uint8_t>{0x00, 0x03});
                  f.data.saveHeader();
                }),
                "(no failure)");
    }
    DataArray reopened;
    reopened.open(f.dir.file("set.daH"));
    reopened.loadHeader();
    std::vector<double> values(10);
    std::vector<std::uint8_t> holes(2);
    reopened.getValue("v", values, 1, 10);
    EXPECT_EQ(values, old) << failing;
    EXPECT_EQ(reopened.getMask("v", holes), 1) << failing;
  }
}

TEST(DataValues, ReadOnlyCodesWrittenByOthersAreRead) {
  Fixture f(3);
  f.write({0.5, 0.5, 0.5});  // a 'D' region of 24 bytes to overwrite by hand
  const std::int64_t offset = f.record().dataOffset;
  std::string file = readFile(f.dir.file("set.daD"));
  const std::int64_t longs[3] = {-5, std::numeric_limits<std::int64_t>::max(), 1LL << 40};
  std::memcpy(file.data() + offset, longs, sizeof longs);
  writeFile(f.dir.file("set.daD"), file);
  DataArray again;
  again.open(f.dir.file("set.daH"));
  f.data.saveHeader();
  again.loadHeader();
  again.find("V")->encoding = 'L';
  std::vector<double> out(3);
  again.getValue("v", out, 1, 3);
  EXPECT_EQ(out, (std::vector<double>{-5, MISSING, 1099511627776.0}));

  const std::uint32_t floats[3] = {0x3FC00000u, 0x7F7FFFFFu, 0xC0200000u};  // 1.5, missing, -2.5
  std::memcpy(file.data() + offset, floats, sizeof floats);
  writeFile(f.dir.file("set.daD"), file);
  again.find("V")->encoding = 'F';
  again.find("V")->width = 4;
  again.getValue("v", out, 1, 3);
  EXPECT_EQ(out, (std::vector<double>{1.5, MISSING, -2.5}));
  // An unknown code reads as doubles.
  again.find("V")->encoding = 'Q';
  EXPECT_NO_THROW(again.getValue("v", out, 1, 1));
}

TEST(DataValues, CorruptedFilesEndInMessages) {
  Fixture f(10);
  f.write({1, 2, 3, 4, 5, 6, 7, 8, 9, 1000});  // 'S', 20 bytes at offset 2
  const std::string daD = f.dir.file("set.daD");
  std::string content = readFile(daD);

  // A region cut short by a truncated value file.
  writeFile(daD, content.substr(0, 12));
  std::vector<double> out(10);
  const std::string text = failureText([&] { f.data.getValue("v", out, 1, 10); });
  EXPECT_EQ(text.rfind("Read USHORT daD file error!\nError Code: (0)\nVariable: v", 0), 0u) << text;
  EXPECT_EQ(f.data.getValue("v", out, 1, 5), 0);  // what is there still reads

  // A width that does not fit its code.
  writeFile(daD, content);
  f.data.find("V")->width = 8;
  EXPECT_EQ(failureText([&] { f.data.getValue("V", out, 1, 10); }),
            "DataArray::getValue:Variable V has width 8, which does not fit its encoding 'S'.");

  // A record count no value file can back is refused before any column is allocated.
  f.data.find("V")->width = 2;
  f.data.recordCount = 4000000000u;
  ColumnBuffer<double> column;
  EXPECT_NE(failureText([&] { f.data.readColumn("v", column); }).find("more than its value file"),
            std::string::npos);
  EXPECT_EQ(column.size(), 0u);
}

TEST(DataValues, OpenFailuresAndReadOnlyDataArrays) {
  ScratchDir dir;
  createDataArray(dir.file("ro.daH"), 4);
  std::vector<double> values = {1, 2, 3, 4};
  testing::storeVariable(dir.file("ro.daH"), "v", values);

  // A value file that cannot be opened at all (a directory in its place).
  std::filesystem::rename(dir.file("ro.daD"), dir.file("kept.daD"));
  std::filesystem::create_directory(dir.file("ro.daD"));
  DataArray blind;
  blind.open(dir.file("ro.daH"));
  blind.loadHeader();
  std::vector<double> out(4);
  const std::string path = dir.file("ro.daD");
  EXPECT_EQ(failureText([&] { blind.getValue("v", out, 1, 4); }),
            "DataArray::getValue:\nCan't open file " + path +
                " to read.\n\nError Code: (21)\nVariable: v");
  EXPECT_EQ(blind.lastError, 21);
  std::filesystem::remove(dir.file("ro.daD"));
  std::filesystem::rename(dir.file("kept.daD"), dir.file("ro.daD"));

  // Files that only open for reading: reads work, every write says it did not happen.
  testing::ScopedFaultHook readOnly(
      testing::failing(FileOperation::kOpenForWriting, "ro.", EACCES));
  DataArray reader;
  EXPECT_FALSE(reader.open(dir.file("ro.daH")));
  EXPECT_TRUE(reader.readOnly());
  reader.loadHeader();
  reader.getValue("v", out, 1, 4);
  EXPECT_EQ(out, values);
  std::vector<double> other = {9, 9, 9, 9};
  EXPECT_EQ(failureText([&] { reader.setValue("v", other); }),
            "DA::SetValue: Can't open file " + path + " to write.\n");
  EXPECT_EQ(failureText([&] { reader.setMask("v", std::vector<std::uint8_t>{0}); }),
            "SetMask: Can't open file " + dir.file("ro.msk") + " to write.\n");
  EXPECT_EQ(other[0], 9);
  EXPECT_FALSE(reader.saveHeader());
}

TEST(DataRef, LoadsItsLayoutAndRefusesTruncatedFiles) {
  ScratchDir dir;
  writeDataRef(dir.file("ref.daR"), 100.0,
               {{1, 3, false, 101}, {2, 5, false, 202}, {0, 2, true, 303}});
  const std::string bytes = readFile(dir.file("ref.daR"));
  // Count, amplifier, then the keys, child counts, skip flags and parent counts.
  ASSERT_EQ(bytes.size(), 12u + 17u * 3u);
  const auto at = [&](std::size_t offset, auto value) {
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
  };
  EXPECT_EQ(at(0, std::int32_t{}), 3);
  EXPECT_EQ(at(12 + 8, 0.0), 202);
  EXPECT_EQ(at(12 + 24 + 4, std::uint32_t{}), 5u);
  EXPECT_EQ(bytes[12 + 36 + 2], 1);
  EXPECT_EQ(at(12 + 39 + 4, std::uint32_t{}), 2u);

  DataRef ref;
  ASSERT_TRUE(ref.load(dir.path() + "/", "ref"));
  EXPECT_TRUE(ref.entryCount() == 3 && ref.amplifier() == 100.0 && ref.refKey(2) == 303 &&
              ref.childCount(1) == 5 && ref.skip(2) && ref.parentCount(0) == 1);
  writeFile(dir.file("ref.daR"), bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(failureText([&] { ref.load(dir.path() + "/", "ref"); }),
            "DataRef::load(): File " + dir.file("ref.daR") + " is truncated.\n");
  writeFile(dir.file("ref.daR"), std::string("\xFF\xFF\xFF\xFF", 4));
  ASSERT_TRUE(ref.load(dir.path() + "/", "ref"));
  EXPECT_EQ(ref.entryCount(), 0u);
  EXPECT_EQ(ref.amplifier(), 1.0);
  EXPECT_EQ(failureText([&] { ref.load(dir.path() + "/", "none"); }),
            "DataRef::load(): Can't open file " + dir.file("none.daR") + " to read.\n");
}

}  // namespace
}  // namespace tessary

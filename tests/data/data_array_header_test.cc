#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "frame/failure.h"
#include "test_support.h"

namespace tessary {
namespace {

using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

template <class T>
void put(std::string& bytes, std::size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <class T>
T get(const std::string& bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

// A header file assembled byte by byte from the documented offsets.
std::string fixedPart(std::uint32_t records, std::uint32_t variables, std::uint32_t maskBytes) {
  std::string bytes(538, '\0');
  std::memcpy(bytes.data(), "VODB 1.02", 10);
  put(bytes, 10, records);
  put(bytes, 14, variables);
  put(bytes, 18, maskBytes);
  std::memcpy(bytes.data() + 22, "CLUSTER", 7);
  std::memcpy(bytes.data() + 278, "WEIGHT", 6);
  put<std::uint32_t>(bytes, 534, 0xA1B2C3D4u);
  return bytes;
}

std::string recordBytes(std::uint32_t id, const char* name, char kind, std::int64_t dataOffset) {
  std::string bytes(818, '\0');
  put(bytes, 0, id);
  std::memcpy(bytes.data() + 4, name, std::strlen(name));
  std::memcpy(bytes.data() + 260, "text a", 6);
  bytes[260 + 200] = 'x';  // beyond the terminator: still carried
  std::memcpy(bytes.data() + 516, "text b", 6);
  bytes[772] = kind;
  put(bytes, 773, dataOffset);
  put<std::int32_t>(bytes, 781, 77);
  put(bytes, 785, 9.5);
  put(bytes, 793, -1.25);
  put<std::int32_t>(bytes, 801, 10);
  put<std::int16_t>(bytes, 805, 3);
  put<std::int16_t>(bytes, 807, -7);
  bytes[809] = 'S';
  bytes[810] = 2;
  bytes[811] = 5;
  put<std::uint32_t>(bytes, 812, 0xDEADBEEFu);
  bytes[816] = 1;
  bytes[817] = 9;
  return bytes;
}

using testing::failureText;

TEST(DataArrayHeader, LoadsTheByteLayoutAndSavesItBackInNameOrder) {
  ScratchDir dir;
  const std::string path = dir.file("hh.daH");
  const std::string original = fixedPart(10, 3, 2) + recordBytes(4, "ZETA", 'N', 1234) +
                               recordBytes(9, "ALPHA", 'C', 2) + recordBytes(2, "MID", 'E', -1);
  writeFile(path, original);

  DataArrayHeader header;
  ASSERT_TRUE(header.loadHeader(path));
  EXPECT_TRUE(header.recordCount == 10 && header.variableCount == 3 && header.maskBytes == 2 &&
              header.headerWord6 == 0xA1B2C3D4u && header.nextId == 10);
  EXPECT_EQ(textOf(header.headerTextA) + "/" + textOf(header.headerTextB), "CLUSTER/WEIGHT");
  ASSERT_EQ(header.variables().size(), 3u);
  const VariableRecord& z = *header.find("zeta");
  EXPECT_TRUE(z.id == 4 && z.dataOffset == 1234 && z.maskOffset == 77 && z.maxValue == 9.5 &&
              z.minValue == -1.25 && z.validCount == 10 && z.valueTag == 3 && z.secondWord == -7 &&
              z.encoding == 'S' && z.width == 2 && z.reservedWord == 0xDEADBEEFu &&
              z.reservedByte1 == 5 && z.selected == 1 && z.reservedByte2 == 9);
  EXPECT_TRUE(header.find("MID")->isExpression());

  // Saved: the same fixed part, the records in ascending name order, nothing else.
  const std::string saved = dir.file("copy.daH");
  ASSERT_TRUE(header.saveHeader(saved));
  EXPECT_EQ(readFile(saved), fixedPart(10, 3, 2) + recordBytes(9, "ALPHA", 'C', 2) +
                                 recordBytes(2, "MID", 'E', -1) +
                                 recordBytes(4, "ZETA", 'N', 1234));
  EXPECT_FALSE(std::filesystem::exists(saved + ".tmp~"));
}

TEST(DataArrayHeader, EdgeFilesAndMessages) {
  ScratchDir dir;
  DataArrayHeader header;
  const std::string path = dir.file("a.daH");

  // Exactly the fixed part: no variables, nextId 1.
  writeFile(path, fixedPart(5, 0, 1));
  ASSERT_TRUE(header.loadHeader(path));
  EXPECT_TRUE(header.variables().empty());
  EXPECT_EQ(header.nextId, 1u);

  // A truncated last record is ignored; a repeated name keeps the later record.
  writeFile(path, fixedPart(5, 2, 1) + recordBytes(1, "X", 'N', 10) + recordBytes(8, "X", 'N', 20) +
                      recordBytes(3, "Y", 'N', 30).substr(0, 500));
  DataArrayHeader twice;
  twice.loadHeader(path);
  ASSERT_EQ(twice.variables().size(), 1u);
  EXPECT_EQ(twice.find("x")->dataOffset, 20);
  EXPECT_EQ(twice.nextId, 9u);
  twice.saveHeader(path);
  EXPECT_EQ(readFile(path).size(), 538u + 818u);

  std::string otherVersion = fixedPart(5, 0, 1);
  otherVersion[8] = '3';
  const std::string absent = dir.file("none.daH"), unwritable = dir.file("no/such/dir.daH");
  const std::pair<std::string, std::string> loads[] = {
      {otherVersion, "DataArrayHeader::LoadHeader: Invalid DataArray!\n"},
      {fixedPart(5, 0, 1).substr(0, 12), "DataArrayHeader::LoadHeader: Reading error"}};
  for (const auto& [content, message] : loads) {
    writeFile(path, content);
    EXPECT_EQ(failureText([&] { header.loadHeader(path); }), message);
  }
  EXPECT_EQ(failureText([&] { header.loadHeader(absent); }),
            "DataArrayHeader::LoadHeader: \nCan't open file " + absent + " to read.\n");
  EXPECT_NE(header.lastError, 0);
  EXPECT_EQ(failureText([&] { header.saveHeader(unwritable); }),
            "DataArrayHeader::SaveHeader: \nCan't open file " + unwritable + " to write.\n");
  EXPECT_EQ(failureText([&] { header.select("ghost"); }),
            "DataArrayHeader::Select:\nVariable: ghost not found\n");
}

TEST(DataArrayHeader, AFailedSaveLeavesTheOldHeaderWhole) {
  ScratchDir dir;
  const std::string path = dir.file("a.daH");
  const std::string old = fixedPart(3, 1, 1) + recordBytes(1, "KEEP", 'N', 1);
  writeFile(path, old);
  DataArrayHeader header;
  header.loadHeader(path);
  header.recordCount = 99;
  {
    testing::ScopedFaultHook full(testing::failing(FileOperation::kWrite, "a.daH", ENOSPC));
    EXPECT_EQ(failureText([&] { header.saveHeader(path); }),
              "DataArrayHeader::SaveHeader: \nCan't open file " + path + " to write.\n");
  }
  EXPECT_EQ(readFile(path), old);
  // The staging file is gone with the failed save.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  EXPECT_TRUE(header.saveHeader(path));
  EXPECT_EQ(get<std::uint32_t>(readFile(path), 10), 99u);
}

TEST(DataArrayHeader, LookupIsUpperCasedAndLowerCaseStoredNamesAreUnreachable) {
  ScratchDir dir;
  const std::string path = dir.file("a.daH");
  writeFile(path, fixedPart(1, 2, 1) + recordBytes(1, "INCOME", 'N', 1) +
                      recordBytes(2, "Mixed", 'N', 1));
  DataArrayHeader header;
  header.loadHeader(path);
  EXPECT_TRUE(header.find("income") != nullptr && header.find("InCoMe") != nullptr);
  EXPECT_TRUE(header.find("Mixed") == nullptr && header.find("MIXED") == nullptr);
  header.select("income");
  EXPECT_EQ(header.find("INCOME")->selected, 1);
}

TEST(DataArray, OpenSplitsThePathAndAddsVariables) {
  ScratchDir dir;
  DataArray data;
  // Dots in directory names survive when the file name has an extension ...
  std::filesystem::create_directories(dir.file("v1.2"));
  EXPECT_TRUE(data.open(dir.file("v1.2/house.daH")));
  EXPECT_EQ(data.directory() + data.baseName(), dir.file("v1.2/house"));
  // Opening creates nothing; the writers do.
  EXPECT_FALSE(std::filesystem::exists(dir.file("v1.2/house.daD")) ||
               std::filesystem::exists(dir.file("v1.2/house.msk")));
  // ... and without an extension the path is cut at the directory's dot; backslashes
  // separate too; an empty base name binds nothing.
  EXPECT_TRUE(data.open(dir.file("v1.2/house")));
  EXPECT_EQ(data.baseName(), "v1");
  EXPECT_TRUE(data.open(dir.path() + "\\v1.2\\house.daH"));
  EXPECT_EQ(data.baseName(), "house");
  EXPECT_FALSE(data.open(dir.file(".daH")));
  EXPECT_FALSE(data.saveHeader());

  createDataArray(dir.file("set.daH"), 20);
  ASSERT_TRUE(data.open(dir.file("set.daA")));
  ASSERT_TRUE(data.loadHeader());
  EXPECT_TRUE(data.recordCount == 20 && data.maskBytes == 3);
  EXPECT_EQ(readFile(dir.file("set.daD")) + "|" + readFile(dir.file("set.msk")),
            std::string(3, '\0') + "|");

  EXPECT_TRUE(data.addVariable("income", {.textA = "t", .textB = "u", .reservedByte1 = 2}));
  EXPECT_FALSE(data.addVariable("INCOME", {}));
  EXPECT_TRUE(data.addVariable("age", {}));
  EXPECT_TRUE(data.hasVariable("Income"));
  const VariableRecord& income = *data.find("INCOME");
  EXPECT_TRUE(income.id == 1 && data.find("AGE")->id == 2 && income.encoding == 'D' &&
              income.width == 8 && income.reservedWord == 0xFFFFFFFFu && income.reservedByte1 == 2);
  EXPECT_EQ(textOf(income.textA) + textOf(income.textB), "tu");
  ASSERT_TRUE(data.saveHeader());

  const std::string bytes = readFile(dir.file("set.daH"));
  ASSERT_EQ(bytes.size(), 538u + 2 * 818u);
  EXPECT_EQ(std::string(bytes.data() + 538 + 4), "AGE");
  EXPECT_EQ(std::string(bytes.data() + 538 + 818 + 4), "INCOME");
  EXPECT_EQ(get<std::int64_t>(bytes, 538 + 818 + 773), -1);
  EXPECT_EQ(get<std::int32_t>(bytes, 538 + 818 + 801), -1);
}

}  // namespace
}  // namespace tessary

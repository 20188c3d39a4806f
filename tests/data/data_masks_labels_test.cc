#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "data/categorize.h"
#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "data/labels.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/text.h"
#include "test_support.h"

namespace tessary {
namespace {

using testing::MessageRecorder;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

using testing::failureText;

struct Fixture {
  ScratchDir dir;
  DataArray data;
  explicit Fixture(std::uint32_t records) {
    createDataArray(dir.file("set.daH"), records);
    data.open(dir.file("set.daH"));
    data.loadHeader();
  }
  void add(const char* name, char kind, std::vector<double> values) {
    data.addVariable(name, {.kind = kind, .reservedByte1 = 2});
    data.setValue(name, values);
  }
};

TEST(DataMasks, GlobalMaskAndHoleBitmapsUseLowBitFirstOrder) {
  Fixture f(10);
  std::string daD = readFile(f.dir.file("set.daD"));
  daD[0] = '\x81';  // records 1 and 8
  daD[1] = '\x02';  // record 10
  writeFile(f.dir.file("set.daD"), daD);
  std::vector<std::uint8_t> bitmap(2);
  EXPECT_EQ(f.data.getGlobalMask(bitmap), 3u);
  EXPECT_EQ(bitmap, (std::vector<std::uint8_t>{0x81, 0x02}));

  f.add("v", 'N', {1, 2, 3, 4, 5, 6, 7, 8, 9, MISSING});
  const std::vector<std::uint8_t> holes = {0x00, 0x02};  // record 10 is bit 1 of byte 1
  f.data.setMask("v", holes);
  EXPECT_EQ(f.data.find("V")->maskOffset, 0);
  f.add("w", 'N', {MISSING, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  const std::vector<std::uint8_t> wHoles = {0x01, 0x00};
  f.data.setMask("w", wHoles);
  EXPECT_EQ(f.data.find("W")->maskOffset, 2);  // appended
  f.data.setMask("w", wHoles);                 // rewritten in a fresh region
  EXPECT_EQ(f.data.find("W")->maskOffset, 4);
  EXPECT_EQ(readFile(f.dir.file("set.msk")), std::string("\x00\x02\x01\x00\x01\x00", 6));

  MessageRecorder recorder;
  std::vector<std::uint8_t> read(2, 0xFF);
  EXPECT_EQ(f.data.getMask("v", read), 1);
  EXPECT_TRUE(read == holes && recorder.messages().empty());
  EXPECT_EQ(failureText([&] { f.data.setMask("nope", holes); }), "Variable NOPE not found.");
}

TEST(DataMasks, HoleCountMismatchIsShownOnceAndCorrectsTheValidCount) {
  Fixture f(10);
  f.add("v", 'N', {1, 2, 3, 4, 5, 6, 7, 8, MISSING, MISSING});
  f.data.setMask("v", std::vector<std::uint8_t>{0x07, 0x00});  // three holes, two expected
  MessageRecorder recorder;
  std::vector<std::uint8_t> bitmap(2);
  EXPECT_EQ(f.data.getMask("v", bitmap), 3);
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].text,
            "Number of holes (3) read in is inconsistent with \nthe number from the observition "
            "\n(nRec-nObs=2)\nof variable v\n");
  EXPECT_EQ(recorder.messages()[0].caption, "getMask:set");
  EXPECT_EQ(f.data.find("V")->validCount, 7);
}

TEST(DataMasks, MaskReadFailures) {
  Fixture f(10);
  std::vector<std::uint8_t> bitmap(2);
  EXPECT_EQ(failureText([&] { f.data.getMask("v", bitmap); }),
            "DataArray::getMask:\nVariable v not found.");
  f.data.addVariable("e", {.kind = 'E', .validCount = 10});
  EXPECT_EQ(failureText([&] { f.data.getMask("e", bitmap); }),
            "DataArray::getMask:\ne is an expression.");
  f.add("v", 'N', {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(failureText([&] { f.data.getMask("v", bitmap); }),
            "DataArray::getMask:\nRead mask failed.");
  // A hole file cut short or emptied is reported.
  f.data.find("V")->maskOffset = 0;
  for (const std::string& damaged : {std::string("\x05", 1), std::string()}) {
    writeFile(f.dir.file("set.msk"), damaged);
    EXPECT_EQ(failureText([&] { f.data.getMask("v", bitmap); }),
              formatText("DataArray::getMask: the hole file %s holds %zu bytes; the bitmap of "
                         "variable v needs bytes 1 to 2.\n",
                         f.dir.file("set.msk").c_str(), damaged.size()));
  }
  // A bitmap shorter than the header's maskBytes is refused, not overrun.
  std::vector<std::uint8_t> tiny(1);
  for (const auto& call : std::vector<std::function<void()>>{[&] { f.data.getMask("v", tiny); },
                                                             [&] { f.data.getGlobalMask(tiny); },
                                                             [&] { f.data.setMask("v", tiny); }})
    EXPECT_NE(failureText(call), "(no failure)");
  f.data.maskBytes = 50;  // beyond the value file
  std::vector<std::uint8_t> wide(50);
  EXPECT_EQ(failureText([&] { f.data.getGlobalMask(wide); }),
            "getGlobalMask read file " + f.dir.file("set.daD") + " error.");
}

TEST(DataLabels, SectionNamesAndBothSectionForms) {
  EXPECT_EQ(labelSectionName("Q[1] a b"), "Q#1$ab");
  EXPECT_EQ(labelSectionName(std::string(300, 'x')).size(), 256u);

  ScratchDir dir;
  const std::string file = dir.file("set.daL");
  std::string sections =
      "[REGION]\nnLevels=3\n1=North\n3= South \n\n[Q#1$ab]\n5=Urban\n7=Rural\nno equals here\n"
      "-2=Negative\n 7=Rural again\n12x=Twelve\n[ZERO]\nnLevels=0\n4=Four\n";
  sections += "[LONG]\n";
  for (int code = 1000; code < 1600; ++code)
    sections += std::to_string(code) + "=label\n";
  writeFile(file, sections);

  // Without a positive nLevels even its own line is a code=label line (code 0); 6000
  // bytes hold 545 lines of "NNNN=label" (11 bytes each with its terminator, two for the
  // list end), the cut 546th line has no "=".
  const std::pair<std::string, LabelMap> expected[] = {
      {"REGION", {{1, "North"}, {2, "L2"}, {3, "South"}}},
      {"Q[1] a b", {{-2, "Negative"}, {5, "Urban"}, {7, "Rural again"}, {12, "Twelve"}}},
      {"ZERO", {{0, "0"}, {4, "Four"}}},
      {"ABSENT", {}}};
  LabelMap labels;
  for (const auto& [name, wanted] : expected) {
    loadLabels(file, name, labels);
    EXPECT_EQ(labels, wanted) << name;
  }
  loadLabels(file, "LONG", labels);
  EXPECT_TRUE(labels.size() == 545 && labels.rbegin()->first == 1544);
  loadLabels(dir.file("none.daL"), "REGION", labels);
  EXPECT_TRUE(labels.empty());

  // A level count no file of that size can describe is refused before anything is built.
  std::string claim = "[V]\nnLevels=1000000\n";
  claim += std::string(103 - claim.size() - 1, ';') + "\n";
  writeFile(file, claim);
  EXPECT_EQ(failureText([&] { loadLabels(file, "V", labels); }),
            file +
                ": the labels of V claim 1000000 levels, more than a file of 103 bytes can "
                "describe.\n");
}

TEST(DataCategories, CategorisationCountsWeightsOrdinalsAndRenumbering) {
  std::vector<double> values = {3, 1, MISSING, 3, 7, 1, 3};
  const double weights[] = {0.5, 2.0, 1.0, MISSING, 1.0, 1.0, 1.5};
  std::vector<Category> categories;
  EXPECT_EQ(categorizeColumn(values, {{1, "one"}, {7, "seven"}}, weights, true, 10, categories), 3);
  ASSERT_EQ(categories.size(), 3u);
  const auto fields = [](const Category& c) {
    return std::make_tuple(c.code, c.label, c.count, c.weightTotal, c.ordinal);
  };
  // The record with a missing weight does not count.
  EXPECT_EQ(fields(categories[0]), std::make_tuple(1, std::string("one"), 2u, 3.0, 1));
  EXPECT_EQ(fields(categories[1]), std::make_tuple(3, std::string("3"), 2u, 2.0, 2));
  EXPECT_EQ(fields(categories[2]), std::make_tuple(7, std::string("seven"), 1u, 1.0, 3));
  EXPECT_EQ(values, (std::vector<double>{11, 10, MISSING, 11, 12, 10, 11}));
  std::vector<double> plain = {2, 2, 5};
  EXPECT_EQ(categorizeColumn(plain, {}, nullptr, false, 1, categories), 2);
  EXPECT_EQ(fields(categories[0]), std::make_tuple(2, std::string("2"), 2u, 2.0, 1));
  EXPECT_EQ(plain, (std::vector<double>{2, 2, 5}));
  const std::pair<std::vector<double>, int> results[] = {
      {{1, 2.5}, -2}, {{-1, 2}, -1}, {{0, 1000001}, -1}, {{0, 1000000}, 2}};
  for (auto [column, result] : results)
    EXPECT_EQ(categorizeColumn(column, {}, nullptr, false, 1, categories), result);
  EXPECT_EQ(categorizeFailureText(-2), "Categorization failed since\na decimal found.");
  EXPECT_EQ(categorizeFailureText(-1),
            "Categorization failed since\nthe value exceeding MAXLEVEL is found.");
  EXPECT_EQ(categorizeFailureText(-7), "Categorization failed since\nunknown error occured.");
}

TEST(DataCategories, GetCategoryReadsLabelsAndMovesTheRangeToTheFront) {
  Fixture f(6);
  f.add("region", 'C', {2, 1, 2, 3, 1, 2});
  f.add("income", 'N', {1, 2, 3, 4, 5, 6});
  writeFile(f.dir.file("set.daL"), "[REGION]\nnLevels=2\n1=North\n2=South\n");
  std::vector<double> out(6);
  std::vector<Category> categories;
  EXPECT_EQ(f.data.getCategory("Region", out, 2, 4, categories, nullptr, true, 1), 3);
  // A code beyond the labelled ones is labelled by itself.
  EXPECT_TRUE(categories[1].label == "South" && categories[2].label == "3" &&
              categories[1].count == 3);
  EXPECT_EQ(std::vector<double>(out.begin(), out.begin() + 3), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(failureText([&] { f.data.getCategory("income", out, 1, 6, categories); }),
            "income is not categorical");
  EXPECT_EQ(failureText([&] { f.data.getCategory("ghost", out, 1, 6, categories); }),
            "DataArray::getCategory: Variable ghost not found");
}

}  // namespace
}  // namespace tessary

// Damaged data sets: header counts no value file can back, and the seed corpora of the
// data-set fuzz targets (which vary the header, reference, description and label files).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data_set_fixture.h"
#include "test_support.h"

namespace tessary {
namespace {

using testing::failureText;
using testing::readFile;
using testing::writeFile;

TEST(CorruptedFiles, HeaderCountsBeyondTheValueFileFailWhenTheHeaderLoads) {
  testing::ScratchDir dir;
  createDataArray(dir.file("hh.daH"), 40);
  const std::string header = readFile(dir.file("hh.daH"));
  const std::pair<std::size_t, const char*> cases[] = {
      {10, "claims 4294967295 records, more than its value file can hold"},
      {18, "claims a global mask of 4294967295 bytes, more than its value file holds"}};
  for (const auto& [offset, claim] : cases) {
    writeFile(dir.file("hh.daH"), std::string(header).replace(offset, 4, "\xFF\xFF\xFF\xFF"));
    DataArray data;
    data.open(dir.file("hh.daH"));
    EXPECT_EQ(failureText([&] { data.loadHeader(); }),
              "DataArray: the header of " + dir.file("hh.daH") + " " + claim + ".\n");
  }
}

// Writes the seed corpora of the data-set fuzz targets into $TESSARY_SEED_DIR/<target>/
// (nothing without it): the fixture's own files and damaged or unusual variants.
TEST(CorruptedFiles, FuzzSeeds) {
  const char* root = std::getenv("TESSARY_SEED_DIR");
  if (root == nullptr) GTEST_SKIP() << "TESSARY_SEED_DIR not set";
  testing::ScratchDir dir;
  const std::string home = dir.path() + "/";
  fuzzing::buildDataSet(home);
  auto file = [&](const char* name) { return readFile(home + name); };
  const std::string header = file("hh.daH");
  const std::map<std::string, std::vector<std::string>> seeds = {
      {"data_header",
       {header, file("cl.daH"), file("rg.daH"), header.substr(0, 538), header.substr(0, 14),
        header.substr(0, 538 + 818 + 100)}},
      {"data_ref", {file("cl.daR"), file("rg.daR"), std::string(4, '\0')}},
      {"combined",
       {file("s.daA"), "hh.daH\ncl.daH\ncl.daR\n", "hh.daH\r\ncl.daH\r\ncl.daR\r\n",
        "hh.daH\ncl.daH\n", "hh.daH\ncl.daH\ncl.daR\nrg.daH\n", ""}},
      {"label_groups",
       {"0\n", "0\n1\v120\v118.5=North\n3\v7\v7=\n", "0\n-5,9\v1\v1=a=b\r\n99999999999=c\n=\n"}},
      {"labels",
       {file("hh.daL"), file("cl.daL"), "[R]\nnLevels=5\n2=two\n4 = \"four\"\n",
        "[R]\r\n1=a=b\r\n-3=minus\r\n[r]\r\n9=later\r\n", "[R]\nnLevels=99999\n"}}};
  for (const auto& [target, contents] : seeds) {
    std::filesystem::create_directories(std::string(root) + "/" + target);
    for (std::size_t i = 0; i < contents.size(); ++i)
      writeFile(std::string(root) + "/" + target + "/seed0" + std::to_string(i + 1), contents[i]);
  }
}

}  // namespace
}  // namespace tessary

// Writes the seed corpora of the import fuzz targets into $TESSARY_SEED_DIR (nothing
// without it): small valid Stata, SPSS and SAS files made with ReadStat's writer
// (several file versions and compressions, numeric types, value and variable labels,
// the formats' kinds of missing value, long and empty strings) into stat_dta, stat_sav
// and stat_sas7bdat, and small CSV files of every form the reader accepts into csv.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "stat_file_writer.h"
#include "test_support.h"

namespace tessary::fuzzing {
namespace {

TEST(ImportFiles, FuzzSeeds) {
  const char* seeds = std::getenv("TESSARY_SEED_DIR");
  if (seeds == nullptr) GTEST_SKIP() << "TESSARY_SEED_DIR not set";
  const std::string root = std::string(seeds) + "/";
  const Variant stat[] = {
      {StatFormat::kStata, "stat_dta/v118"},
      {StatFormat::kStata, "stat_dta/v119", 119},
      {StatFormat::kStata, "stat_dta/v117", 117},
      {StatFormat::kStata, "stat_dta/v114", 114},
      {StatFormat::kStata, "stat_dta/v111", 111},
      {StatFormat::kStata, "stat_dta/v108", 108},
      {StatFormat::kStata, "stat_dta/v105", 105},
      {StatFormat::kStata, "stat_dta/no_rows", 118, READSTAT_COMPRESS_NONE, 0},
      {StatFormat::kSpss, "stat_sav/plain", 2},
      {StatFormat::kSpss, "stat_sav/bytecode", 2, READSTAT_COMPRESS_ROWS},
      {StatFormat::kSpss, "stat_sav/zsav", 3, READSTAT_COMPRESS_BINARY},
      {StatFormat::kSpss, "stat_sav/no_rows", 2, READSTAT_COMPRESS_NONE, 0},
      {StatFormat::kSas, "stat_sas7bdat/plain"},
      {StatFormat::kSas, "stat_sas7bdat/rle", 0, READSTAT_COMPRESS_ROWS},
      {StatFormat::kSas, "stat_sas7bdat/rows12", 0, READSTAT_COMPRESS_NONE, 12}};
  const std::pair<const char*, const char*> csv[] = {
      {"csv/plain",
       "hhid,cluster,size,head_educ,consumption\n101,1,4,primary,812.5\n"
       "102,1,6,none,530\n103,2,3,secondary,\n"},
      {"csv/quoted",
       "id,name,note\n1,\"Smith, J.\",\"say \"\"hi\"\"\"\n2,\"two\nlines\", lead \n3,\"\",NA\n"},
      {"csv/semicolon", "a;b;c\n1,5;2;x\n-0,25;.;y\n"},
      {"csv/tabs", "a\tb\n1\t2\r\n\r\n3\t\"4\"\r\n"},
      {"csv/bom_one_column", "\xEF\xBB\xBFx\n1\n\"\"\n-0\n1e308\n"},
      {"csv/blank_names", ",b,\n1,,3\n"},
      {"csv/identifiers",
       "code,id,big,n.a me\n0161,12345678901234567890,1e400,1\n7,2,3,\"1,234\"\n"},
      {"csv/stray_quote", "a,b\n1,x\"y\n\"2\",\"z\n\"\"w\"\n"}};
  for (const char* target : {"stat_dta", "stat_sav", "stat_sas7bdat", "csv"})
    std::filesystem::create_directories(root + target);
  for (const Variant& v : stat) {
    const std::string bytes = writeStatFile(v);
    ASSERT_FALSE(bytes.empty()) << v.name;
    testing::writeFile(root + v.name, bytes);
  }
  for (const auto& [name, content] : csv)
    testing::writeFile(root + name, content);
}

}  // namespace
}  // namespace tessary::fuzzing

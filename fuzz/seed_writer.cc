// Writes the seed corpora of the import fuzz targets: small valid Stata, SPSS and SAS
// files made with ReadStat's writer (several file versions and compressions, numeric
// types, value and variable labels, the formats' kinds of missing value, long and
// empty strings), and small CSV files of every form the reader accepts.
//
//   fuzz_seed_writer fuzz/corpus
//
// rewrites fuzz/corpus/stat_dta, stat_sav, stat_sas7bdat and csv.
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "stat_file_writer.h"

namespace {

using tessary::StatFormat;
using tessary::fuzzing::Variant;
using tessary::fuzzing::writeStatFile;

const Variant kStatSeeds[] = {
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

const struct {
  const char* name;
  const char* content;
} kCsvSeeds[] = {
    {"csv/plain",
     "hhid,cluster,size,head_educ,consumption\n101,1,4,primary,812.5\n"
     "102,1,6,none,530\n103,2,3,secondary,\n"},
    {"csv/quoted",
     "id,name,note\n1,\"Smith, J.\",\"say \"\"hi\"\"\"\n2,\"two\nlines\", lead \n"
     "3,\"\",NA\n"},
    {"csv/semicolon", "a;b;c\n1,5;2;x\n-0,25;.;y\n"},
    {"csv/tabs", "a\tb\n1\t2\r\n\r\n3\t\"4\"\r\n"},
    {"csv/bom_one_column", "\xEF\xBB\xBFx\n1\n\"\"\n-0\n1e308\n"},
    {"csv/blank_names", ",b,\n1,,3\n"},
    {"csv/identifiers", "code,id,big,n.a me\n0161,12345678901234567890,1e400,1\n7,2,3,\"1,234\"\n"},
    {"csv/stray_quote", "a,b\n1,x\"y\n\"2\",\"z\n\"\"w\"\n"}};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string root = std::string(argv[1]) + "/";
  int failures = 0;
  for (const Variant& v : kStatSeeds) {
    const std::string bytes = writeStatFile(v);
    std::filesystem::create_directories(std::filesystem::path(root + v.name).parent_path());
    failures += bytes.empty() || !tessary::writeWholeFile(root + v.name, bytes);
  }
  for (const auto& seed : kCsvSeeds) {
    std::filesystem::create_directories(std::filesystem::path(root + seed.name).parent_path());
    failures += !tessary::writeWholeFile(root + seed.name, seed.content);
  }
  return failures == 0 ? 0 : 1;
}

// Writes the seed corpora of the data-set fuzz targets into <root>/<target>/: the
// fixture's own files and a few damaged or unusual variants of them. Run by
// `make fuzz-seeds`; the seeds are kept in fuzz/corpus/.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data_set_fixture.h"

namespace {

std::string contentOf(const std::string& path) {
  std::string content;
  tessary::fuzzing::require(tessary::readWholeFile(path, content));
  return content;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_ROOT\n", argv[0]);
    return 2;
  }
  const tessary::fuzzing::Fixture fixture("seeds");
  auto file = [&](const char* name) { return contentOf(fixture.file(name)); };
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
    const std::filesystem::path directory = std::filesystem::path(argv[1]) / target;
    std::filesystem::create_directories(directory);
    for (std::size_t i = 0; i < contents.size(); ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "seed%02zu", i + 1);
      tessary::fuzzing::require(tessary::writeWholeFile((directory / name).string(), contents[i]));
    }
  }
  return 0;
}

// Any bytes as the data reference (.daR) tying clusters to households and regions to
// clusters: loading the combined data array and reading every variable at every level
// ends in values or a message.
#include "data_set_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace tessary;
  static const fuzzing::Fixture fixture("data_ref");
  static const bool described =
      writeWholeFile(fixture.file("fz.daA"), "hh.daH\ncl.daH\nfz.daR\nrg.daH\nfz.daR\n");
  fuzzing::require(described);
  fixture.write("fz.daR", bytes, size);
  fuzzing::expectValueOrMessage([&] {
    DataSet data;
    data.openCombined(fixture.file("fz.daA"));
    fuzzing::readDataSet(data);
  });
  return 0;
}

// Any bytes as a data array header (.daH) over the fixture's household value, hole and
// label files: loading and reading every variable ends in values or a message.
#include "data_set_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace tessary;
  static const fuzzing::Fixture fixture("data_header");
  static const bool copied = fixture.copyDataArray("hh", "fz");
  fuzzing::require(copied);
  fixture.write("fz.daH", bytes, size);
  fuzzing::expectValueOrMessage([&] {
    DataSet data;
    data.openDataArray(fixture.file("fz.daH"));
    fuzzing::readDataSet(data);
  });
  return 0;
}

// Any text as a combined data array description (.daA) naming files of the fixture:
// building, loading and reading it at every level ends in values or a message. Inputs
// that could name files outside the fixture's directory are skipped.
#include "data_set_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace tessary;
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  if (text.find_first_of("/\\") != std::string_view::npos) return 0;
  static const fuzzing::Fixture fixture("combined");
  fixture.write("fz.daA", bytes, size);
  fuzzing::expectValueOrMessage([&] {
    DataSet data;
    data.openCombined(fixture.file("fz.daA"));
    fuzzing::readDataSet(data);
  });
  return 0;
}

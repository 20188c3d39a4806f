// Any text as a data array's label file (.daL): the labels of every variable, and the
// categories of the categorical ones, come back or end in a message, and no level
// count makes more labels than the file can describe.
#include "data/labels.h"
#include "data_set_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace tessary;
  static const fuzzing::Fixture fixture("labels");
  fixture.write("hh.daL", bytes, size);
  DataSet data;
  data.openDataArray(fixture.file("hh.daH"));
  fuzzing::readDataSet(data);
  for (const char* name : {"Q[1] a", "NLEVELS", "1"}) {
    fuzzing::expectValueOrMessage([&] {
      LabelMap labels;
      data.loadLabels(0, name, labels);
      fuzzing::require(labels.size() <= size);
    });
  }
  return 0;
}

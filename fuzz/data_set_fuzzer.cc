// Any bytes as one file of the fixture's data set, read through it: loading and
// reading every variable at every level ends in values or a message. The file is fixed
// per target (TESSARY_FUZZ_NAME) by TESSARY_FUZZ_FILE:
//   data_header  "fz.daH", a data array header over the households' value, hole and
//                label files;
//   data_ref     "fz.daR", the reference tying clusters to households and regions to
//                clusters;
//   combined     "fz.daA", a combined description naming the fixture's files (inputs
//                that could name files outside its directory are skipped).
#include <string_view>

#include "data_set_fixture.h"

#if !defined(TESSARY_FUZZ_FILE) || !defined(TESSARY_FUZZ_NAME)
#error "TESSARY_FUZZ_NAME names the target, TESSARY_FUZZ_FILE the file: fz.daH, fz.daR or fz.daA"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace tessary;
  constexpr std::string_view kFile = TESSARY_FUZZ_FILE;
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  if (kFile == "fz.daA" && text.find_first_of("/\\") != std::string_view::npos) return 0;
  static const fuzzing::Fixture fixture(TESSARY_FUZZ_NAME);
  static const bool prepared =
      kFile == "fz.daH" ? fixture.copyDataArray("hh", "fz")
      : kFile == "fz.daR"
          ? writeWholeFile(fixture.file("fz.daA"), "hh.daH\ncl.daH\nfz.daR\nrg.daH\nfz.daR\n")
          : true;
  fuzzing::require(prepared);
  fixture.write(kFile, bytes, size);
  fuzzing::expectValueOrMessage([&] {
    DataSet data;
    if (kFile == "fz.daH")
      data.openDataArray(fixture.file(kFile));
    else
      data.openCombined(fixture.file("fz.daA"));
    fuzzing::readDataSet(data);
  });
  return 0;
}

// Any text as the result label file the over-fitting test reads its groups from: codes
// come back, one for each line that holds "=", and nothing else happens.
#include <algorithm>
#include <string_view>

#include "data_set_fixture.h"
#include "regression/group_refits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  const std::vector<std::int32_t> codes = tessary::labelFileGroups(text);
  tessary::fuzzing::require(codes.size() <=
                            static_cast<std::size_t>(std::count(text.begin(), text.end(), '=')));
  return 0;
}

// Exports of the library frame: version, message handler, packed-list diagnostic.
// The first two cannot fail; the diagnostic runs under the guard's silent policy.
#include <cstring>
#include <string>
#include <vector>

#include "frame/boundary.h"
#include "frame/messages.h"
#include "frame/packed_strings.h"
#include "platform/presenter.h"
#include "tessary.h"

extern "C" {

TESSARY_EXPORT TessaryMessageHandler TessarySetMessageHandler(TessaryMessageHandler handler) {
  return tessary::setMessageHandler(handler);
}

TESSARY_EXPORT char* RgVersion(char* buf) {
  std::memcpy(buf, "101", 4);
  return buf;
}

TESSARY_EXPORT int16_t stringsTest(const void* packedList) {
  return tessary::guardSilently<int16_t>(-1, [&] {
    std::vector<std::string> list;
    const std::int16_t count = tessary::splitPackedStrings(packedList, list);
    for (const std::string& text : list)
      tessary::showMessageBox(text);
    return count;
  });
}

}  // extern "C"

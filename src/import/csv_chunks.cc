#include "import/csv_chunks.h"

#include <algorithm>
#include <cstring>

#include "platform/parallel.h"

namespace tessary {
namespace {

std::uint64_t countQuotes(const char* first, const char* last) {
  std::uint64_t quotes = 0;
  while (first < last) {
    const void* quote = std::memchr(first, '"', static_cast<std::size_t>(last - first));
    if (quote == nullptr) break;
    ++quotes;
    first = static_cast<const char*>(quote) + 1;
  }
  return quotes;
}

// The first record boundary at or after `from`, where the quotes before `from` leave
// the text inside a quoted field when `inQuotes`; the content's end when none.
std::size_t nextRecordStart(std::string_view content, std::size_t from, bool inQuotes) {
  for (std::size_t i = from; i < content.size(); ++i) {
    if (content[i] == '"')
      inQuotes = !inQuotes;
    else if (content[i] == '\n' && !inQuotes)
      return i + 1;
  }
  return content.size();
}

}  // namespace

CsvChunks splitCsvChunks(std::string_view content, std::size_t bodyStart, std::uint64_t bodyLine,
                         std::size_t chunkBytes) {
  bodyStart = std::min(bodyStart, content.size());
  const std::size_t bodyBytes = content.size() - bodyStart;
  if (chunkBytes == 0) chunkBytes = std::max<std::size_t>(bodyBytes, 1);
  const std::size_t count = std::max<std::size_t>(blockCount(bodyBytes, chunkBytes), 1);
  std::vector<std::uint64_t> quotes(count);
  forEachBlock(bodyBytes, chunkBytes, [&](std::size_t block, std::size_t begin, std::size_t end) {
    quotes[block] =
        countQuotes(content.data() + bodyStart + begin, content.data() + bodyStart + end);
  });

  // The quote parity at each nominal start, then the cut after it.
  CsvChunks result;
  result.chunks.resize(count);
  std::vector<bool> inQuotes(count, false);
  std::uint64_t seen = 0;
  for (std::size_t k = 0; k < count; ++k) {
    inQuotes[k] = seen % 2 == 1;
    seen += quotes[k];
  }
  result.quotes = seen > 0;
  result.chunks[0] = {bodyStart, content.size(), bodyLine};
  forEachBlock(count - 1, 1, [&](std::size_t block, std::size_t, std::size_t) {
    const std::size_t k = block + 1;
    const std::size_t nominal = bodyStart + k * chunkBytes;
    result.chunks[k].begin = nextRecordStart(content, nominal, inQuotes[k]);
  });
  for (std::size_t k = 0; k < count; ++k)
    result.chunks[k].end = k + 1 < count ? result.chunks[k + 1].begin : content.size();
  return result;
}

}  // namespace tessary

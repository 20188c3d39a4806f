// Splitting the records of a CSV file into chunks that can be parsed independently.
// Chunks are cut about every kCsvChunkBytes, each at the first record boundary (a line
// feed outside quotes) at or after its nominal start; the cuts depend on the content
// alone, never on the number of threads. Whether a position is inside quotes is told
// by the parity of the quotes before it, which is right for any file whose quotes all
// open, double or close quoted fields; a parser that sees a quote inside an unquoted
// field must not trust the cuts after it (CsvCursor::strayQuotes()).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tessary {

inline constexpr std::size_t kCsvChunkBytes = std::size_t{1} << 22;

struct CsvChunk {
  std::size_t begin = 0;  // the first byte of a record (or the end of the content)
  std::size_t end = 0;
  // The physical line `begin` is on for the first chunk; 0 for the others, whose lines
  // count from their start (the line feeds of the chunks before them are known only
  // once those are parsed).
  std::uint64_t line = 0;
};

struct CsvChunks {
  std::vector<CsvChunk> chunks;
  bool quotes = false;  // the records hold a quote somewhere
};

// The chunks of content[bodyStart, end), which starts on line `bodyLine`, about
// `chunkBytes` each; one chunk when `chunkBytes` is 0.
CsvChunks splitCsvChunks(std::string_view content, std::size_t bodyStart, std::uint64_t bodyLine,
                         std::size_t chunkBytes = kCsvChunkBytes);

}  // namespace tessary

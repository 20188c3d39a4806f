// The twelve storage codes of a variable's values (one table: sizes, missing codes,
// messages), the writer's choice of code, and conversion between stored elements and
// doubles.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessary {

// How values of a storage code are laid out.
enum class Storage : std::uint8_t { kPacked, kUnsigned, kSigned, kFloat, kDouble };

// One storage code: its element, where the writer may choose it, the stored element
// that means missing (for 'F' its bit pattern; '1' has none, both its values are data)
// and the message of a failed read.
struct Encoding {
  char code;
  Storage storage;
  unsigned width;          // bytes per element; 1 for the packed codes
  unsigned fieldsPerByte;  // 8 '1', 4 '2', 2 '4'; 0 for whole-byte codes
  std::uint64_t missing;
  bool writerChooses;
  const char* readFailure;
};

// The twelve codes, most compact first within each kind.
inline constexpr Encoding kEncodings[] = {
    {'1', Storage::kPacked, 1, 8, 0, true, "Read 1-bit daD file error!"},
    {'2', Storage::kPacked, 1, 4, 3, true, "Read 2-bit daD file error!"},
    {'4', Storage::kPacked, 1, 2, 15, true, "Read half-byte daD file error!"},
    {'B', Storage::kUnsigned, 1, 0, 255, true, "Read BYTE daD file error!"},
    {'b', Storage::kSigned, 1, 0, 127, true, "Read char daD file error!"},
    {'S', Storage::kUnsigned, 2, 0, 65535, true, "Read USHORT daD file error!"},
    {'s', Storage::kSigned, 2, 0, 32767, true, "Read short daD file error!"},
    {'I', Storage::kUnsigned, 4, 0, 4294967295u, true, "Read UINT daD file error!"},
    {'i', Storage::kSigned, 4, 0, 2147483647, true, "Read int daD file error!"},
    {'L', Storage::kSigned, 8, 0, 9223372036854775807u, false, "Read __int64 daD file error!"},
    {'F', Storage::kFloat, 4, 0, 0x7F7FFFFF, false, "Read float daD file error!"},
    {'D', Storage::kDouble, 8, 0, 0x7FF0000000000000u, false, "Read double daD file error!"},
};

// The entry of a code; a code outside the table is read as 'D'.
const Encoding& encodingOf(char code);

// True for the twelve codes of the table.
bool isKnownEncoding(char code);

// The byte length of a region holding `count` values in `code`.
std::uint64_t regionBytes(char code, std::uint64_t count);

// What the writer learns from one scan of a column.
struct ColumnSummary {
  std::uint32_t finiteCount = 0;
  double minValue = 0.0;
  double maxValue = 0.0;
  bool anyMissing = false;
  bool anyNegative = false;
  bool allIntegral = true;
};

// One scan of the column, in parallel blocks.
ColumnSummary summarizeColumn(const double* values, std::size_t count);

// The most compact code that holds the summarized column.
char chooseEncoding(const ColumnSummary& summary);

// Encodes `count` values as the stored elements of `code` (not 'D') into out, which
// holds regionBytes(code, count) bytes: packed fields in record order from the top bits
// of byte 0. Runs in parallel blocks.
void narrowColumn(char code, const double* values, std::size_t count, unsigned char* out);

// Widens `count` stored elements of `code` that lie at the front of `column` into
// doubles in place, stored missing codes becoming MISSING. For a packed code the first
// element is field `firstField` (0-based, from the top) of byte 0.
void widenInPlace(char code, unsigned firstField, double* column, std::size_t count);

}  // namespace tessary

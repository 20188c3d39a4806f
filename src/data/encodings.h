// The twelve storage codes of a variable's values: sizes, missing codes, the writer's
// choice of code, and conversion between stored elements and doubles.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessary {

// Fields per byte of a packed code ('1' 8, '2' 4, '4' 2); 0 for whole-byte codes.
unsigned fieldsPerByte(char code);

// Bytes per element: 1 for the packed codes and 'B' 'b', 2 'S' 's', 4 'I' 'i' 'F',
// 8 'L' 'D'. A code outside the table is read as 'D' and has width 8.
unsigned widthOf(char code);

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

ColumnSummary summarizeColumn(const double* values, std::size_t count);

// The most compact code that holds the summarized column.
char chooseEncoding(const ColumnSummary& summary);

// Rewrites `count` doubles at the front of `column` as the stored elements of `code`
// (not 'D'), packed fields in record order from the top bits of byte 0.
void narrowInPlace(char code, double* column, std::size_t count);

// Widens `count` stored elements of `code` that lie at the front of `column` into
// doubles in place, stored missing codes becoming MISSING. For a packed code the first
// element is field `firstField` (0-based, from the top) of byte 0.
void widenInPlace(char code, unsigned firstField, double* column, std::size_t count);

}  // namespace tessary

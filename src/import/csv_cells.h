// Reading one CSV cell: a number, a missing cell, or text, and for text that looks like
// a number, why it is kept as text. Codes written with leading zeros ("0161") and whole
// numbers beyond 2^53 (which a double holds only approximately) are identifiers, not
// quantities: they are read as text so that no digit is lost.
#pragma once

#include <cstdint>
#include <string_view>

namespace tessary {

enum class CellReading : std::uint8_t {
  kNumber,
  kMissing,  // empty (blanks only), "NA", ".", or a number that is not finite ("nan", "inf")
  kText,
  kLeadingZeros,         // digits only, the first a zero: a code
  kBeyondExactIntegers,  // a whole number beyond 2^53
  kOutOfRange,           // a number beyond the range of doubles ("1e400")
};

// Reads `cell` (outer blanks ignored): `value` receives the number when
// readsAsNumber(reading) and is not finite otherwise. With the ';' separator a decimal comma is
// accepted.
CellReading readCell(std::string_view cell, char separator, double& value);

// Whether a column read as numbers takes the cell's value: kNumber, kLeadingZeros,
// kBeyondExactIntegers.
bool readsAsNumber(CellReading reading);

// True for a number or a missing cell (value then not finite); false for any text.
bool parseNumberCell(std::string_view cell, char separator, double& value);

// Why a cell of this reading is text, for messages: "is not a number", "is a code with
// leading zeros" ...
const char* textReason(CellReading reading);

// A missing-cell token, once its outer blanks are gone: "", "NA" or ".".
inline bool isMissingToken(std::string_view cell) {
  return cell.empty() || cell == "NA" || cell == ".";
}

// The cell without blanks and tabs at either end.
inline std::string_view trimCell(std::string_view cell) {
  std::size_t begin = 0, end = cell.size();
  while (begin < end && (cell[begin] == ' ' || cell[begin] == '\t'))
    ++begin;
  while (end > begin && (cell[end - 1] == ' ' || cell[end - 1] == '\t'))
    --end;
  return cell.substr(begin, end - begin);
}

}  // namespace tessary

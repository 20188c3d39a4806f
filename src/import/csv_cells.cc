#include "import/csv_cells.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "frame/missing.h"

namespace tessary {
namespace {

constexpr double kExactIntegers = 9007199254740992.0;  // 2^53

bool allDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number written with a decimal comma (the ';' separator's convention).
bool readDecimalComma(std::string_view cell, double& value) {
  if (cell.size() > 64 || cell.find('.') != std::string_view::npos ||
      std::count(cell.begin(), cell.end(), ',') != 1)
    return false;
  char buffer[64];
  std::memcpy(buffer, cell.data(), cell.size());
  *std::find(buffer, buffer + cell.size(), ',') = '.';
  const auto [end, error] = std::from_chars(buffer, buffer + cell.size(), value);
  return error == std::errc() && end == buffer + cell.size();
}

}  // namespace

CellReading readCell(std::string_view cell, char separator, double& value) {
  value = MISSING;
  cell = trimCell(cell);
  if (isMissingToken(cell)) return CellReading::kMissing;
  if (cell.size() > 1 && cell.front() == '+' && cell[1] != '-' && cell[1] != '+')
    cell.remove_prefix(1);
  const char* last = cell.data() + cell.size();
  double number = 0;
  const auto [end, error] = std::from_chars(cell.data(), last, number);
  if (error == std::errc::result_out_of_range && end == last) return CellReading::kOutOfRange;
  if (error != std::errc() || end != last) {
    if (separator != ';' || !readDecimalComma(cell, number)) return CellReading::kText;
  } else if (cell.size() > 1 && cell[0] == '0' && allDigits(cell)) {
    value = number;
    return CellReading::kLeadingZeros;
  } else if (cell.size() >= 16 && std::fabs(number) > kExactIntegers &&
             allDigits(cell.substr(cell[0] == '-' ? 1 : 0))) {
    value = number;
    return CellReading::kBeyondExactIntegers;
  }
  if (!std::isfinite(number)) return CellReading::kMissing;
  value = number;
  return CellReading::kNumber;
}

bool parseNumberCell(std::string_view cell, char separator, double& value) {
  const CellReading reading = readCell(cell, separator, value);
  return reading == CellReading::kNumber || reading == CellReading::kMissing;
}

bool readsAsNumber(CellReading reading) {
  return reading == CellReading::kNumber || reading == CellReading::kLeadingZeros ||
         reading == CellReading::kBeyondExactIntegers;
}

const char* textReason(CellReading reading) {
  switch (reading) {
    case CellReading::kLeadingZeros:
      return "is a code with leading zeros";
    case CellReading::kBeyondExactIntegers:
      return "is a whole number beyond 2^53, which a number holds only approximately";
    case CellReading::kOutOfRange:
      return "is beyond the range of numbers";
    default:
      return "is not a number";
  }
}

}  // namespace tessary

#include "data/variable_record.h"

#include <algorithm>

#include "data/little_endian.h"

namespace tessary {

std::string textOf(const TextField& field) {
  const auto end = std::find(field.begin(), field.end(), '\0');
  return std::string(field.begin(), end);
}

TextField makeTextField(std::string_view text) {
  TextField field{};
  std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
  return field;
}

void encodeVariableRecord(const VariableRecord& r, char* out) {
  storeLittle(out + 0, r.id);
  std::copy(r.name.begin(), r.name.end(), out + 4);
  std::copy(r.textA.begin(), r.textA.end(), out + 260);
  std::copy(r.textB.begin(), r.textB.end(), out + 516);
  out[772] = r.kind;
  storeLittle(out + 773, r.dataOffset);
  storeLittle(out + 781, r.maskOffset);
  storeLittle(out + 785, r.maxValue);
  storeLittle(out + 793, r.minValue);
  storeLittle(out + 801, r.validCount);
  storeLittle(out + 805, r.valueTag);
  storeLittle(out + 807, r.secondWord);
  out[809] = r.encoding;
  storeLittle(out + 810, r.width);
  storeLittle(out + 811, r.reservedByte1);
  storeLittle(out + 812, r.reservedWord);
  storeLittle(out + 816, r.selected);
  storeLittle(out + 817, r.reservedByte2);
}

VariableRecord decodeVariableRecord(const char* in) {
  VariableRecord r;
  r.id = loadLittle<std::uint32_t>(in + 0);
  std::copy_n(in + 4, 256, r.name.begin());
  std::copy_n(in + 260, 256, r.textA.begin());
  std::copy_n(in + 516, 256, r.textB.begin());
  r.kind = in[772];
  r.dataOffset = loadLittle<std::int64_t>(in + 773);
  r.maskOffset = loadLittle<std::int32_t>(in + 781);
  r.maxValue = loadLittle<double>(in + 785);
  r.minValue = loadLittle<double>(in + 793);
  r.validCount = loadLittle<std::int32_t>(in + 801);
  r.valueTag = loadLittle<std::int16_t>(in + 805);
  r.secondWord = loadLittle<std::int16_t>(in + 807);
  r.encoding = in[809];
  r.width = loadLittle<std::uint8_t>(in + 810);
  r.reservedByte1 = loadLittle<std::uint8_t>(in + 811);
  r.reservedWord = loadLittle<std::uint32_t>(in + 812);
  r.selected = loadLittle<std::uint8_t>(in + 816);
  r.reservedByte2 = loadLittle<std::uint8_t>(in + 817);
  return r;
}

}  // namespace tessary

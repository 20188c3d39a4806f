// One variable of a data array header: how and where its values and holes are stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessary {

// A zero-terminated text field of the header, kept as its raw bytes so that whatever
// follows the terminator survives a load and a save.
using TextField = std::array<char, 256>;

// The text up to the first zero byte (all 256 bytes when there is none).
std::string textOf(const TextField& field);
// The text cut to 256 bytes, zero-padded.
TextField makeTextField(std::string_view text);

struct VariableRecord {
  std::uint32_t id = 0;
  TextField name{};
  TextField textA{};
  TextField textB{};
  char kind = 'N';
  std::int64_t dataOffset = -1;
  std::int32_t maskOffset = -1;
  double maxValue = 0.0;
  double minValue = 0.0;
  std::int32_t validCount = -1;
  std::int16_t valueTag = 0;
  std::int16_t secondWord = 0;
  char encoding = 'D';
  std::uint8_t width = 8;
  std::uint8_t reservedByte1 = 0;
  std::uint32_t reservedWord = 0;
  std::uint8_t selected = 0;
  std::uint8_t reservedByte2 = 0;

  // Kept in memory only.
  bool isInteger = false;
  bool referenced = false;

  // An expression has a header entry but no stored values.
  bool isExpression() const { return kind == 'E' || validCount == -1; }
};

// On-disk sizes of the header file's parts.
inline constexpr std::size_t kHeaderFixedBytes = 538;
inline constexpr std::size_t kVariableRecordBytes = 818;

// The 818-byte disk form of a record, and back.
void encodeVariableRecord(const VariableRecord& record, char* out);
VariableRecord decodeVariableRecord(const char* bytes);

}  // namespace tessary

#include "data/encodings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "data/little_endian.h"
#include "frame/missing.h"

namespace tessary {
namespace {

// Elements converted per block: small enough for the stack, a multiple of 8 so packed
// blocks start on a byte.
constexpr std::size_t kBlock = 4096;

unsigned char* bytesOf(double* column) {
  return reinterpret_cast<unsigned char*>(column);
}

template <class T>
void widenElements(const unsigned char* src, double* dst, std::size_t count, T missingCode) {
  for (std::size_t i = 0; i < count; ++i) {
    const T element = loadLittle<T>(src + i * sizeof(T));
    dst[i] = element == missingCode ? MISSING : static_cast<double>(element);
  }
}

void widenFloats(const unsigned char* src, double* dst, std::size_t count) {
  constexpr std::uint32_t kMissingBits = 0x7F7FFFFF;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t bits = loadLittle<std::uint32_t>(src + i * 4);
    float value;
    std::memcpy(&value, &bits, 4);
    dst[i] = bits == kMissingBits ? MISSING : static_cast<double>(value);
  }
}

template <unsigned kFields>
void widenPacked(const unsigned char* src, unsigned firstField, double* dst, std::size_t count) {
  constexpr unsigned kBits = 8 / kFields;
  constexpr unsigned kMask = (1u << kBits) - 1;
  // '1' has no missing code: both of its values are data.
  constexpr unsigned kMissing = kFields == 8 ? 2u : kMask;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t field = firstField + i;
    const unsigned shift = (kFields - 1 - field % kFields) * kBits;
    const unsigned value = (src[field / kFields] >> shift) & kMask;
    dst[i] = value == kMissing ? MISSING : static_cast<double>(value);
  }
}

void widenBlock(char code, const unsigned char* src, unsigned firstField, double* dst,
                std::size_t count) {
  switch (code) {
    case '1':
      return widenPacked<8>(src, firstField, dst, count);
    case '2':
      return widenPacked<4>(src, firstField, dst, count);
    case '4':
      return widenPacked<2>(src, firstField, dst, count);
    case 'B':
      return widenElements<std::uint8_t>(src, dst, count, 255);
    case 'b':
      return widenElements<std::int8_t>(src, dst, count, 127);
    case 'S':
      return widenElements<std::uint16_t>(src, dst, count, 65535);
    case 's':
      return widenElements<std::int16_t>(src, dst, count, 32767);
    case 'I':
      return widenElements<std::uint32_t>(src, dst, count, 4294967295u);
    case 'i':
      return widenElements<std::int32_t>(src, dst, count, 2147483647);
    case 'L':
      return widenElements<std::int64_t>(src, dst, count, std::numeric_limits<std::int64_t>::max());
    case 'F':
      return widenFloats(src, dst, count);
    default:
      std::memcpy(dst, src, count * 8);
      return;
  }
}

template <class T>
void narrowElements(const double* src, unsigned char* dst, std::size_t count, T missingCode) {
  for (std::size_t i = 0; i < count; ++i) {
    const double v = src[i];
    const T element = std::isfinite(v) ? static_cast<T>(static_cast<std::int64_t>(v)) : missingCode;
    storeLittle(dst + i * sizeof(T), element);
  }
}

template <unsigned kFields>
void narrowPacked(const double* src, unsigned char* dst, std::size_t count) {
  constexpr unsigned kBits = 8 / kFields;
  constexpr unsigned kMask = (1u << kBits) - 1;
  std::memset(dst, 0, (count + kFields - 1) / kFields);
  for (std::size_t i = 0; i < count; ++i) {
    const double v = src[i];
    const unsigned value =
        std::isfinite(v) ? static_cast<unsigned>(static_cast<std::int64_t>(v)) & kMask : kMask;
    dst[i / kFields] |= static_cast<unsigned char>(value << ((kFields - 1 - i % kFields) * kBits));
  }
}

void narrowBlock(char code, const double* src, unsigned char* dst, std::size_t count) {
  switch (code) {
    case '1':
      return narrowPacked<8>(src, dst, count);
    case '2':
      return narrowPacked<4>(src, dst, count);
    case '4':
      return narrowPacked<2>(src, dst, count);
    case 'B':
      return narrowElements<std::uint8_t>(src, dst, count, 255);
    case 'b':
      return narrowElements<std::int8_t>(src, dst, count, 127);
    case 'S':
      return narrowElements<std::uint16_t>(src, dst, count, 65535);
    case 's':
      return narrowElements<std::int16_t>(src, dst, count, 32767);
    case 'I':
      return narrowElements<std::uint32_t>(src, dst, count, 4294967295u);
    case 'i':
      return narrowElements<std::int32_t>(src, dst, count, 2147483647);
    default:
      std::memcpy(dst, src, count * 8);
      return;
  }
}

}  // namespace

unsigned fieldsPerByte(char code) {
  switch (code) {
    case '1':
      return 8;
    case '2':
      return 4;
    case '4':
      return 2;
    default:
      return 0;
  }
}

unsigned widthOf(char code) {
  switch (code) {
    case '1':
    case '2':
    case '4':
    case 'B':
    case 'b':
      return 1;
    case 'S':
    case 's':
      return 2;
    case 'I':
    case 'i':
    case 'F':
      return 4;
    default:
      return 8;
  }
}

bool isKnownEncoding(char code) {
  return std::strchr("124BbSsIiLFD", code) != nullptr && code != '\0';
}

std::uint64_t regionBytes(char code, std::uint64_t count) {
  const unsigned fields = fieldsPerByte(code);
  if (fields != 0) return (count + fields - 1) / fields;
  return count * widthOf(code);
}

ColumnSummary summarizeColumn(const double* values, std::size_t count) {
  ColumnSummary s;
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -lowest;
  for (std::size_t i = 0; i < count; ++i) {
    const double v = values[i];
    if (!std::isfinite(v)) {
      s.anyMissing = true;
      continue;
    }
    ++s.finiteCount;
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
    if (v != std::trunc(v)) s.allIntegral = false;
  }
  if (s.finiteCount == 0) {
    s.minValue = s.maxValue = MISSING;
  } else {
    s.minValue = lowest;
    s.maxValue = highest;
    s.anyNegative = lowest < 0;
  }
  return s;
}

char chooseEncoding(const ColumnSummary& s) {
  if (s.finiteCount == 0 || !s.allIntegral) return 'D';
  const double range =
      std::max(std::fabs(s.minValue), std::fabs(s.maxValue)) + (s.anyMissing ? 1.0 : 0.0);
  if (s.anyNegative) {
    if (range < 127) return 'b';
    if (range < 32767) return 's';
    if (range < 2147483647.0) return 'i';
    return 'D';
  }
  if (!s.anyMissing && range <= 1) return '1';
  if (range < 3) return '2';
  if (range < 15) return '4';
  if (range < 255) return 'B';
  if (range < 65535) return 'S';
  if (range < 4294967295.0) return 'I';
  return 'D';
}

void narrowInPlace(char code, double* column, std::size_t count) {
  if (widthOf(code) == 8) return;
  const unsigned fields = fieldsPerByte(code);
  unsigned char local[kBlock * 4];
  for (std::size_t first = 0; first < count; first += kBlock) {
    const std::size_t n = std::min(kBlock, count - first);
    narrowBlock(code, column + first, local, n);
    // The block's bytes land on values already consumed.
    if (fields != 0)
      std::memcpy(bytesOf(column) + first / fields, local, (n + fields - 1) / fields);
    else
      std::memcpy(bytesOf(column) + first * widthOf(code), local, n * widthOf(code));
  }
}

void widenInPlace(char code, unsigned firstField, double* column, std::size_t count) {
  if (count == 0 || (widthOf(code) == 8 && code != 'L')) return;
  const unsigned fields = fieldsPerByte(code);
  const unsigned width = widthOf(code);
  unsigned char local[kBlock * 8 + 1];
  // From the last block down: a block's doubles cover only bytes of itself and of the
  // blocks above it, which are already widened.
  for (std::size_t first = (count - 1) / kBlock * kBlock;; first -= kBlock) {
    const std::size_t n = std::min(kBlock, count - first);
    if (fields != 0) {
      const std::size_t startField = firstField + first;
      const std::size_t startByte = startField / fields;
      const std::size_t endByte = (startField + n - 1) / fields + 1;
      std::memcpy(local, bytesOf(column) + startByte, endByte - startByte);
      widenBlock(code, local, static_cast<unsigned>(startField % fields), column + first, n);
    } else {
      std::memcpy(local, bytesOf(column) + first * width, n * width);
      widenBlock(code, local, 0, column + first, n);
    }
    if (first == 0) break;
  }
}

}  // namespace tessary

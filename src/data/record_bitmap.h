// Record bitmaps: one bit per record, record 1 in the lowest bit of byte 0, a set bit
// marking a hole (a missing or excluded record).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tessary {

// A caller's bitmap together with the number of records it covers.
struct RecordBitmap {
  std::span<const std::uint8_t> bytes;
  std::uint64_t bitCount = 0;
};

inline std::uint64_t bitmapBytes(std::uint64_t records) {
  return (records + 7) / 8;
}

inline bool isHole(const std::uint8_t* bitmap, std::uint64_t record) {
  return (bitmap[(record - 1) / 8] >> ((record - 1) % 8)) & 1u;
}

inline void setHole(std::uint8_t* bitmap, std::uint64_t record) {
  bitmap[(record - 1) / 8] |= static_cast<std::uint8_t>(1u << ((record - 1) % 8));
}

// The number of set bits over all bytes.
inline std::uint64_t countHoles(std::span<const std::uint8_t> bitmap) {
  std::uint64_t holes = 0;
  for (std::uint8_t byte : bitmap)
    holes += static_cast<unsigned>(std::popcount(byte));
  return holes;
}

// The number of clear bits among the first `records` bits.
inline std::uint64_t countPresent(const std::uint8_t* bitmap, std::uint64_t records) {
  std::uint64_t holes = countHoles(std::span<const std::uint8_t>(bitmap, records / 8));
  for (std::uint64_t record = records / 8 * 8 + 1; record <= records; ++record)
    holes += isHole(bitmap, record) ? 1 : 0;
  return records - holes;
}

// Spreads the values of the present records (bit clear), given in record order, over
// out[0..records-1], MISSING at every hole; in parallel blocks.
void expandPresent(const double* presentValues, const std::uint8_t* bitmap, double* out,
                   std::uint64_t records);

}  // namespace tessary

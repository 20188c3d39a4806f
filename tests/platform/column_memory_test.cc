#include "platform/column_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace tessary {
namespace {

TEST(ColumnMemory, BuffersStartZeroedAndKeepTheirContentWhenGrowing) {
  ColumnBuffer<double> small(10);
  for (double v : small)
    EXPECT_EQ(v, 0.0);
  for (std::size_t i = 0; i < small.size(); ++i)
    small[i] = static_cast<double>(i);

  // From the heap-served range into a huge-page mapping.
  small.resize(3 << 20);
  EXPECT_EQ(small.size(), std::size_t{3} << 20);
  for (std::size_t i = 0; i < 10; ++i)
    EXPECT_EQ(small[i], static_cast<double>(i));
  EXPECT_EQ(small[(3 << 20) - 1], 0.0);

  // Shrinking keeps the mapping: growing back moves nothing.
  const double* before = small.data();
  small.resize(5);
  small.resize(1 << 20);
  EXPECT_EQ(small.data(), before);

  ColumnBuffer<std::uint8_t> moved = ColumnBuffer<std::uint8_t>(1 << 22);
  moved[0] = 7;
  ColumnBuffer<std::uint8_t> target;
  target = std::move(moved);
  EXPECT_EQ(target[0], 7);
  EXPECT_EQ(target.size(), std::size_t{1} << 22);
}

TEST(ColumnMemory, BlockSizedMemoryGivenBackComesBackZeroed) {
  // The second buffer is normally the first one's mapping, kept.
  const std::size_t count = std::size_t{1} << 16;
  for (int pass = 0; pass < 2; ++pass) {
    ColumnBuffer<double> block(count);
    EXPECT_EQ(block[0], 0.0);
    EXPECT_EQ(block[count - 1], 0.0);
    std::fill(block.begin(), block.end(), 7.0);
  }
}

TEST(ColumnMemory, ImpossibleSizesThrowBadAlloc) {
  ColumnBuffer<double> buffer;
  EXPECT_THROW(buffer.resize(static_cast<std::size_t>(-1) / 4), std::bad_alloc);
  EXPECT_EQ(buffer.size(), 0u);
}

}  // namespace
}  // namespace tessary

#include "simulation/counter_draws.h"

#include <Random123/philox.h>

#include <algorithm>
#include <cmath>

#include "numeric/vector_functions.h"

namespace tessary {
namespace {

// Pairs handled at a time, in buffers on the stack.
constexpr std::size_t kChunkPairs = 256;

// (k + 1/2) 2^-53 for the top 53 bits k of a 64-bit word: never 0 or 1.
inline double openUniform(std::uint32_t high, std::uint32_t low) {
  const std::uint64_t bits = (static_cast<std::uint64_t>(high) << 32 | low) >> 11;
  return (static_cast<double>(bits) + 0.5) * 0x1p-53;
}

// Calls chunk(firstPair, pairs, offset) over the pairs of items first .. first+n-1,
// `offset` being the position in the output of the chunk's first pair's even item
// (negative by one when the range starts on an odd item).
template <class Chunk>
void forEachPairChunk(std::uint64_t first, std::size_t n, Chunk&& chunk) {
  if (n == 0) return;
  const std::uint64_t firstPair = first / 2, lastPair = (first + n - 1) / 2;
  for (std::uint64_t pair = firstPair; pair <= lastPair; pair += kChunkPairs) {
    const std::size_t pairs =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunkPairs, lastPair - pair + 1));
    chunk(pair, pairs, static_cast<std::int64_t>(2 * pair) - static_cast<std::int64_t>(first));
  }
}

// Writes the two values of each pair to the items of the range they belong to.
void scatterPairs(const double* even, const double* odd, std::size_t pairs, std::int64_t offset,
                  std::size_t n, double* out) {
  for (std::size_t p = 0; p < pairs; ++p) {
    const std::int64_t at = offset + static_cast<std::int64_t>(2 * p);
    if (at >= 0 && at < static_cast<std::int64_t>(n)) out[at] = even[p];
    if (at + 1 >= 0 && at + 1 < static_cast<std::int64_t>(n)) out[at + 1] = odd[p];
  }
}

}  // namespace

void CounterDraws::uniformPairs(DrawStream stream, std::uint32_t replication,
                                std::uint64_t firstPair, std::size_t pairs, double* u1,
                                double* u2) const {
  r123::Philox4x32 generator;
  const r123::Philox4x32::key_type key = {
      {static_cast<std::uint32_t>(seed_), static_cast<std::uint32_t>(seed_ >> 32)}};
  for (std::size_t p = 0; p < pairs; ++p) {
    const std::uint64_t pair = firstPair + p;
    const r123::Philox4x32::ctr_type counter = {{static_cast<std::uint32_t>(pair),
                                                 static_cast<std::uint32_t>(pair >> 32),
                                                 replication, static_cast<std::uint32_t>(stream)}};
    const r123::Philox4x32::ctr_type bits = generator(counter, key);
    u1[p] = openUniform(bits.v[0], bits.v[1]);
    u2[p] = openUniform(bits.v[2], bits.v[3]);
  }
}

void CounterDraws::uniforms(DrawStream stream, std::uint32_t replication, std::uint64_t first,
                            std::size_t n, double* out) const {
  forEachPairChunk(first, n, [&](std::uint64_t pair, std::size_t pairs, std::int64_t offset) {
    double u1[kChunkPairs], u2[kChunkPairs];
    uniformPairs(stream, replication, pair, pairs, u1, u2);
    scatterPairs(u1, u2, pairs, offset, n, out);
  });
}

// Box-Muller: r = sqrt(-2 ln u1), the pair r cos(2 pi u2), r sin(2 pi u2).
void CounterDraws::normals(DrawStream stream, std::uint32_t replication, std::uint64_t first,
                           std::size_t n, double* out) const {
  forEachPairChunk(first, n, [&](std::uint64_t pair, std::size_t pairs, std::int64_t offset) {
    double u1[kChunkPairs], u2[kChunkPairs], sine[kChunkPairs], cosine[kChunkPairs];
    uniformPairs(stream, replication, pair, pairs, u1, u2);
    vmath::log(u1, u1, pairs);
    for (std::size_t p = 0; p < pairs; ++p)
      u2[p] *= 2.0;
    vmath::sinCosPi(u2, sine, cosine, pairs);
    for (std::size_t p = 0; p < pairs; ++p) {
      const double radius = std::sqrt(-2.0 * u1[p]);
      cosine[p] *= radius;
      sine[p] *= radius;
    }
    scatterPairs(cosine, sine, pairs, offset, n, out);
  });
}

}  // namespace tessary

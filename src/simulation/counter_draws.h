// Random draws that are a pure function of (seed, stream, replication, item): the
// Philox4x32-10 counter-based generator keyed by the seed, its counter holding the item
// number, the replication and the stream. A draw never depends on which other draws
// were made, in which order, on which thread or in which run, so a simulation split
// into blocks, threads or partitions draws exactly what a single run draws.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessary {

// Independent families of draws of one simulation.
enum class DrawStream : std::uint32_t {
  kParameters = 1,      // the model parameters of a replication
  kClusterEffects = 2,  // one per cluster
  kHouseholdErrors = 3  // one per household
};

class CounterDraws {
 public:
  explicit CounterDraws(std::uint64_t seed) : seed_(seed) {}

  // Standard normal draws for items first .. first+n-1. Items 2m and 2m+1 are the two
  // Box-Muller normals of one pair of 53-bit uniforms.
  void normals(DrawStream stream, std::uint32_t replication, std::uint64_t first, std::size_t n,
               double* out) const;

  // Uniform draws on the open interval (0, 1), multiples of 2^-53 offset by 2^-54; items
  // 2m and 2m+1 are the two uniforms of the pair the normals of those items come from.
  void uniforms(DrawStream stream, std::uint32_t replication, std::uint64_t first, std::size_t n,
                double* out) const;

 private:
  // The uniform pairs of pair numbers firstPair .. firstPair+pairs-1.
  void uniformPairs(DrawStream stream, std::uint32_t replication, std::uint64_t firstPair,
                    std::size_t pairs, double* u1, double* u2) const;

  std::uint64_t seed_;
};

}  // namespace tessary

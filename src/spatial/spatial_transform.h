// Spatial smoothing of an area variable over a neighbourhood.
#pragma once

#include <cstdint>

namespace tessary {

// 8-bit results of spatialTransform besides 0: the negative spatial results as bytes.
constexpr std::uint8_t kAreaCountDiffers = 0xFE;   // -2
constexpr std::uint8_t kLinkageUnreadable = 0xFD;  // -3, after its message

// Kinds 1-3: out[i] = the mean of the finite x[j] over the neighbours j of i in the
// linkage file of that kind and parameter (positive infinity without one). Kind 4:
// the inverse-distance weighted mean over every other area, weights 1/d^parameter
// (coinciding anchors give their pair no weight), positive infinity when the weights
// sum to 1e-20 or less. Other kinds do nothing. out may be x.
// Returns 0, kAreaCountDiffers when the file or table has another number of areas
// than n (kind 4 compares the table's record count too, so that x covers every
// area), or a negative spatial result of the anchor reading as a byte (the table not
// opened, -2, therefore also reads 0xFE). A linkage file
// that cannot be read or does not match raises "Can't read from <path>" or "<path> is
// different in structure".
std::uint8_t smoothValues(const char* path, const double* x, double* out, std::int32_t n,
                          std::int32_t kind, std::int32_t parameter);

}  // namespace tessary

// Handing a column to a host's buffer: the exports that fill one return the number of
// records, and a NULL buffer asks for that number alone.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tessary {

// The record count as a 32-bit result; raises "<function>: N records are more than a
// 32-bit count holds" when it does not fit.
std::int32_t countForCaller(std::int64_t records, std::string_view function);

// Copies the values to `out`, which holds `capacity` values; raises "<function>: the
// buffer holds C values, fewer than the N records" when they do not fit.
void copyToCaller(std::span<const double> values, double* out, std::int32_t capacity,
                  std::string_view function);

}  // namespace tessary

// Packed string lists: a 16-bit little-endian signed count N, then N entries of a
// 16-bit little-endian signed length L and L bytes, with no padding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

// Empties `list` and appends the N strings of the packed list at `buffer`; returns N
// as read (a count of zero or less appends nothing; a negative length reads as 0).
// The caller guarantees the buffer holds the whole list.
std::int16_t splitPackedStrings(const void* buffer, std::vector<std::string>& list);

// The packed form of `list` (used by hosts and tests to build the argument).
std::string packStrings(const std::vector<std::string>& list);

}  // namespace tessary

// Storage of Matrix and Vector elements: the column allocator, zero-filled.
#pragma once

namespace tessary {

// count doubles (none for a count below 1: nullptr).
double* allocateDoubles(long long count);
void freeDoubles(double* data, long long count);

}  // namespace tessary

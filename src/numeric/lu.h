// LU factorisation in Crout form for n x n row-major arrays (a[r*n + c]).
//
// After decomposition the lower triangle with the diagonal holds L and the strict
// upper triangle holds U, whose diagonal is an implicit 1. A pivot whose magnitude is
// below 1e-12, or that is not a number, makes the matrix singular. None of these
// routines throws or shows anything.
#pragma once

#include <cstdint>

namespace tessary {

constexpr double kSingularPivot = 1e-12;
constexpr double kVanishingPivot = 1e-19;

// Crout with row exchanges. perm[k] receives the row exchanged with row k at step k
// (a sequence of exchanges, not a permutation). Returns 0, or -1 at a singular pivot,
// leaving a part-decomposed.
int luDecompose(double* a, std::int32_t* perm, int n);

// Solves with the factors of luDecompose. b is permuted during the solve and back in
// its original order on return. Returns 0 or -1.
int luSolve(const double* lu, double* b, const std::int32_t* perm, double* x, int n);

// Crout without exchanges. Returns 0 or -1.
int luDecomposeNoPivot(double* a, int n);

// Solves with the factors of luDecomposeNoPivot; b is not modified. Returns 0 or -1.
int luSolveNoPivot(const double* lu, const double* b, double* x, int n);

// Given an n x n array whose leading (n-1) x (n-1) block holds unpivoted factors,
// completes the last row and column and returns the last pivot; a pivot below 1e-19
// in magnitude is stored and returned as exactly 0.0.
double luExtend(double* a, int n);

}  // namespace tessary

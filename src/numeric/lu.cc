#include "numeric/lu.h"

#include <cmath>
#include <utility>

namespace tessary {
namespace {

// NaN pivots fail this test too.
bool usablePivot(double pivot) { return std::fabs(pivot) >= kSingularPivot; }

// Steps of one Crout pass: reduce column k of L from row k down, then test the pivot
// and form row k of U.
int croutStep(double* a, int n, int k) {
  const std::size_t un = static_cast<std::size_t>(n);
  for (int i = k; i < n; ++i) {
    double* row = a + i * un;
    double sum = row[k];
    for (int j = 0; j < k; ++j) sum -= row[j] * a[j * un + k];
    row[k] = sum;
  }
  double* pivotRow = a + k * un;
  const double pivot = pivotRow[k];
  if (!usablePivot(pivot)) return -1;
  for (int j = k + 1; j < n; ++j) {
    double sum = pivotRow[j];
    for (int m = 0; m < k; ++m) sum -= pivotRow[m] * a[m * un + j];
    pivotRow[j] = sum / pivot;
  }
  return 0;
}

}  // namespace

int luDecompose(double* a, std::int32_t* perm, int n) {
  const std::size_t un = static_cast<std::size_t>(n);
  for (int k = 0; k < n; ++k) {
    // The scan reads column k as the earlier exchanges left it, before this pass
    // reduces it; the first of equal maxima wins.
    perm[k] = k;
    double best = std::fabs(a[k * un + k]);
    for (int i = k + 1; i < n; ++i) {
      const double candidate = std::fabs(a[i * un + k]);
      if (candidate > best) {
        best = candidate;
        perm[k] = i;
      }
    }
    if (perm[k] != k) {
      double* rowK = a + k * un;
      double* rowP = a + static_cast<std::size_t>(perm[k]) * un;
      for (int c = 0; c < n; ++c) std::swap(rowK[c], rowP[c]);
    }
    if (croutStep(a, n, k) != 0) return -1;
  }
  return 0;
}

int luSolve(const double* lu, double* b, const std::int32_t* perm, double* x, int n) {
  const std::size_t un = static_cast<std::size_t>(n);
  for (int i = 0; i < n; ++i) {
    if (perm[i] != i) std::swap(b[i], b[perm[i]]);
    const double* row = lu + i * un;
    double sum = b[i];
    for (int j = 0; j < i; ++j) sum -= row[j] * x[j];
    x[i] = sum / row[i];
  }
  for (int i = n - 1; i >= 0; --i) {
    if (perm[i] != i) std::swap(b[i], b[perm[i]]);
    const double* row = lu + i * un;
    double sum = x[i];
    for (int j = i + 1; j < n; ++j) sum -= row[j] * x[j];
    x[i] = sum;
    if (!usablePivot(row[i])) return -1;
  }
  return 0;
}

int luDecomposeNoPivot(double* a, int n) {
  for (int k = 0; k < n; ++k)
    if (croutStep(a, n, k) != 0) return -1;
  return 0;
}

int luSolveNoPivot(const double* lu, const double* b, double* x, int n) {
  const std::size_t un = static_cast<std::size_t>(n);
  for (int i = 0; i < n; ++i) {
    const double* row = lu + i * un;
    if (!usablePivot(row[i])) return -1;
    double sum = b[i];
    for (int j = 0; j < i; ++j) sum -= row[j] * x[j];
    x[i] = sum / row[i];
  }
  for (int i = n - 2; i >= 0; --i) {
    const double* row = lu + i * un;
    double sum = x[i];
    for (int j = i + 1; j < n; ++j) sum -= row[j] * x[j];
    x[i] = sum;
  }
  return 0;
}

double luExtend(double* a, int n) {
  const std::size_t un = static_cast<std::size_t>(n);
  const int l = n - 1;
  double* last = a + l * un;
  for (int c = 0; c < l; ++c) {
    double sum = last[c];
    for (int k = 0; k < c; ++k) sum -= last[k] * a[k * un + c];
    last[c] = sum;
  }
  for (int r = 0; r < l; ++r) {
    const double* row = a + r * un;
    double sum = row[l];
    for (int k = 0; k < r; ++k) sum -= row[k] * a[k * un + l];
    a[r * un + l] = sum / row[r];
  }
  double pivot = last[l];
  for (int k = 0; k < l; ++k) pivot -= last[k] * a[k * un + l];
  if (!(std::fabs(pivot) >= kVanishingPivot)) pivot = 0.0;
  last[l] = pivot;
  return pivot;
}

}  // namespace tessary

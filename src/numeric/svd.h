// Singular value decomposition by the Golub-Reinsch algorithm (Householder
// bidiagonalisation, then implicit-shift QR), column-major storage.
#pragma once

namespace tessary {

// sqrt(a^2 + b^2) without destructive overflow or underflow.
double pythag(double a, double b);

// a (m x n, leading dimension m, m >= n) becomes U; w gets the n singular values
// (non-negative, unordered); v gets V, n x n with leading dimension m. At most 30 QR
// sweeps per singular value; a value that has not converged by then is left as the
// sweeps left it. Work space: n doubles.
void singularValueDecomposition(double* a, int m, int n, double* w, double* v);

}  // namespace tessary

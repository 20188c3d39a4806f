// Dense products through CBLAS (OpenBLAS): the one place the library calls a BLAS.
// Matrices are column-major with an explicit leading dimension.
//
// Threads: OpenBLAS runs as the parallel layer says (platform/parallel_threads.h):
// single-threaded, so that a product inside a block of a parallel loop adds no threads,
// unless a ThreadedBlas scope outside every block lends it the layer's threads. Every
// routine settles that setting before its first product, so OpenBLAS's own default (a
// thread per core) never applies. Single-threaded, each routine sums in a fixed order, so
// results repeat from run to run; a kernel that must give the same bits for any thread
// count runs its products inside blocks. The first product raises the layer's Failure
// when `TESSARY_THREADS` is malformed.
#pragma once

namespace tessary::blas {

// Upper triangle of C (n x n, leading dimension ldc) += A'A, A k x n (leading lda).
void addGram(int n, int k, const double* a, int lda, double* c, int ldc);

// Upper triangle of C (n x n, leading dimension ldc) += alpha A A', A n x k (leading lda):
// the outer products of the k columns of A.
void addOuterProducts(int n, int k, const double* a, int lda, double* c, int ldc, double alpha);

// C (n x n, leading dimension ldc) += A'B, A and B k x n with leading dimension ld.
void addCrossProduct(int n, int k, const double* a, const double* b, int ld, double* c, int ldc);

// y (m) = A x, A m x n with leading dimension lda.
void multiply(int m, int n, const double* a, int lda, const double* x, double* y);

// C (m x n, leading dimension ldc) = A B, A m x k (leading lda), B k x n (leading ldb).
void multiply(int m, int n, int k, const double* a, int lda, const double* b, int ldb, double* c,
              int ldc);

// The inner product of x and y (n elements each).
double dot(int n, const double* x, const double* y);

}  // namespace tessary::blas

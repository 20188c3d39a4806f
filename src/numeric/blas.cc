#include "numeric/blas.h"

#include <cblas.h>

#include "platform/parallel_threads.h"

namespace tessary::blas {
namespace {

// Reading the thread count installs the layer's BLAS setting (once per process).
void settleThreads() {
  static const bool settled = threadCount() > 0;
  static_cast<void>(settled);
}

}  // namespace

void addGram(int n, int k, const double* a, int lda, double* c, int ldc) {
  if (n < 1 || k < 1) return;
  settleThreads();
  cblas_dsyrk(CblasColMajor, CblasUpper, CblasTrans, n, k, 1.0, a, lda, 1.0, c, ldc);
}

void addOuterProducts(int n, int k, const double* a, int lda, double* c, int ldc, double alpha) {
  if (n < 1 || k < 1) return;
  settleThreads();
  cblas_dsyrk(CblasColMajor, CblasUpper, CblasNoTrans, n, k, alpha, a, lda, 1.0, c, ldc);
}

void addCrossProduct(int n, int k, const double* a, const double* b, int ld, double* c, int ldc) {
  if (n < 1 || k < 1) return;
  settleThreads();
  cblas_dgemm(CblasColMajor, CblasTrans, CblasNoTrans, n, n, k, 1.0, a, ld, b, ld, 1.0, c, ldc);
}

void multiply(int m, int n, const double* a, int lda, const double* x, double* y) {
  if (m < 1) return;
  if (n < 1) {
    for (int i = 0; i < m; ++i)
      y[i] = 0.0;
    return;
  }
  settleThreads();
  cblas_dgemv(CblasColMajor, CblasNoTrans, m, n, 1.0, a, lda, x, 1, 0.0, y, 1);
}

void multiply(int m, int n, int k, const double* a, int lda, const double* b, int ldb, double* c,
              int ldc) {
  if (m < 1 || n < 1) return;
  if (k < 1) {
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < m; ++i)
        c[static_cast<long>(j) * ldc + i] = 0.0;
    return;
  }
  settleThreads();
  cblas_dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, m, n, k, 1.0, a, lda, b, ldb, 0.0, c, ldc);
}

double dot(int n, const double* x, const double* y) {
  if (n < 1) return 0.0;
  settleThreads();
  return cblas_ddot(n, x, 1, y, 1);
}

}  // namespace tessary::blas

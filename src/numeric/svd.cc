#include "numeric/svd.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessary {
namespace {

constexpr double kNegligible = 1e-12;
constexpr int kMaxSweeps = 30;

// |a| with the sign of b.
double withSign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// Element (i, j) of a column-major array with leading dimension ld.
class ColumnMajor {
 public:
  ColumnMajor(double* data, int ld) : data_(data), ld_(static_cast<std::size_t>(ld)) {}
  double& operator()(int i, int j) const { return data_[static_cast<std::size_t>(j) * ld_ + i]; }

 private:
  double* data_;
  std::size_t ld_;
};

// Applies the plane rotation (c, s) to columns p and q of x (rows 0..rows-1).
void rotateColumns(const ColumnMajor& x, int rows, int p, int q, double c, double s) {
  for (int r = 0; r < rows; ++r) {
    const double y = x(r, p);
    const double z = x(r, q);
    x(r, p) = y * c + z * s;
    x(r, q) = z * c - y * s;
  }
}

}  // namespace

double pythag(double a, double b) {
  const double absA = std::fabs(a);
  const double absB = std::fabs(b);
  if (absA > absB) {
    const double ratio = absB / absA;
    return absA * std::sqrt(1.0 + ratio * ratio);
  }
  if (absB == 0.0) return 0.0;
  const double ratio = absA / absB;
  return absB * std::sqrt(1.0 + ratio * ratio);
}

void singularValueDecomposition(double* aData, int m, int n, double* w, double* vData) {
  if (n < 1) return;
  const ColumnMajor a(aData, m);
  const ColumnMajor v(vData, m);
  std::vector<double> rv1(static_cast<std::size_t>(n));
  double g = 0.0, scale = 0.0, anorm = 0.0;
  int l = 0;

  // Householder reduction to bidiagonal form: w holds the diagonal, rv1 the
  // superdiagonal (rv1[0] is 0).
  for (int i = 0; i < n; ++i) {
    l = i + 1;
    rv1[i] = scale * g;
    g = scale = 0.0;
    double s = 0.0;
    if (i < m) {
      for (int k = i; k < m; ++k) scale += std::fabs(a(k, i));
      if (scale != 0.0) {
        for (int k = i; k < m; ++k) {
          a(k, i) /= scale;
          s += a(k, i) * a(k, i);
        }
        double f = a(i, i);
        g = -withSign(std::sqrt(s), f);
        const double h = f * g - s;
        a(i, i) = f - g;
        for (int j = l; j < n; ++j) {
          double sum = 0.0;
          for (int k = i; k < m; ++k) sum += a(k, i) * a(k, j);
          f = sum / h;
          for (int k = i; k < m; ++k) a(k, j) += f * a(k, i);
        }
        for (int k = i; k < m; ++k) a(k, i) *= scale;
      }
    }
    w[i] = scale * g;
    g = s = scale = 0.0;
    if (i < m && i != n - 1) {
      for (int k = l; k < n; ++k) scale += std::fabs(a(i, k));
      if (scale != 0.0) {
        for (int k = l; k < n; ++k) {
          a(i, k) /= scale;
          s += a(i, k) * a(i, k);
        }
        const double f = a(i, l);
        g = -withSign(std::sqrt(s), f);
        const double h = f * g - s;
        a(i, l) = f - g;
        for (int k = l; k < n; ++k) rv1[k] = a(i, k) / h;
        for (int j = l; j < m; ++j) {
          double sum = 0.0;
          for (int k = l; k < n; ++k) sum += a(j, k) * a(i, k);
          for (int k = l; k < n; ++k) a(j, k) += sum * rv1[k];
        }
        for (int k = l; k < n; ++k) a(i, k) *= scale;
      }
    }
    anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
  }

  // Right-hand transformations accumulated into v.
  for (int i = n - 1; i >= 0; --i) {
    if (i < n - 1) {
      if (g != 0.0) {
        // Two divisions, so a tiny a(i, l) cannot underflow the quotient.
        for (int j = l; j < n; ++j) v(j, i) = (a(i, j) / a(i, l)) / g;
        for (int j = l; j < n; ++j) {
          double sum = 0.0;
          for (int k = l; k < n; ++k) sum += a(i, k) * v(k, j);
          for (int k = l; k < n; ++k) v(k, j) += sum * v(k, i);
        }
      }
      for (int j = l; j < n; ++j) v(i, j) = v(j, i) = 0.0;
    }
    v(i, i) = 1.0;
    g = rv1[i];
    l = i;
  }

  // Left-hand transformations accumulated into a, which becomes U.
  for (int i = std::min(m, n) - 1; i >= 0; --i) {
    l = i + 1;
    g = w[i];
    for (int j = l; j < n; ++j) a(i, j) = 0.0;
    if (g != 0.0) {
      g = 1.0 / g;
      for (int j = l; j < n; ++j) {
        double sum = 0.0;
        for (int k = l; k < m; ++k) sum += a(k, i) * a(k, j);
        const double f = (sum / a(i, i)) * g;
        for (int k = i; k < m; ++k) a(k, j) += f * a(k, i);
      }
      for (int j = i; j < m; ++j) a(j, i) *= g;
    } else {
      for (int j = i; j < m; ++j) a(j, i) = 0.0;
    }
    a(i, i) += 1.0;
  }

  // Diagonalisation of the bidiagonal form, one singular value at a time.
  for (int k = n - 1; k >= 0; --k) {
    for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
      bool cancel = true;
      for (l = k; l >= 0; --l) {
        // rv1[0] is always 0, so the scan stops at l = 0 before w[-1] is read.
        if (l == 0 || std::fabs(rv1[l]) < kNegligible) {
          cancel = false;
          break;
        }
        if (std::fabs(w[l - 1]) + anorm == anorm) break;
      }
      if (cancel) {
        // rv1[l] can be zeroed by rotations against the rows below it.
        const int nm = l - 1;
        double c = 0.0, s = 1.0;
        for (int i = l; i <= k; ++i) {
          const double f = s * rv1[i];
          rv1[i] = c * rv1[i];
          if (std::fabs(f) < kNegligible) break;
          const double gi = w[i];
          const double h = pythag(f, gi);
          w[i] = h;
          c = gi / h;
          s = -f / h;
          rotateColumns(a, m, nm, i, c, s);
        }
      }
      const double z = w[k];
      if (l == k) {
        if (z < 0.0) {
          w[k] = -z;
          for (int j = 0; j < n; ++j) v(j, k) = -v(j, k);
        }
        break;
      }
      // Shift from the bottom 2 x 2 minor, then one QR sweep of Givens rotations.
      double x = w[l];
      const int nm = k - 1;
      double y = w[nm];
      double gg = rv1[nm];
      double h = rv1[k];
      double f = ((y - z) * (y + z) + (gg - h) * (gg + h)) / (2.0 * h * y);
      gg = pythag(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + withSign(gg, f))) - h)) / x;
      double c = 1.0, s = 1.0;
      for (int j = l; j <= nm; ++j) {
        const int i = j + 1;
        gg = rv1[i];
        y = w[i];
        h = s * gg;
        gg = c * gg;
        double zz = pythag(f, h);
        rv1[j] = zz;
        c = f / zz;
        s = h / zz;
        f = x * c + gg * s;
        gg = gg * c - x * s;
        h = y * s;
        y *= c;
        rotateColumns(v, n, j, i, c, s);
        zz = pythag(f, h);
        w[j] = zz;
        if (zz != 0.0) {
          zz = 1.0 / zz;
          c = f * zz;
          s = h * zz;
        }
        f = c * gg + s * y;
        x = c * y - s * gg;
        rotateColumns(a, m, j, i, c, s);
      }
      rv1[l] = 0.0;
      rv1[k] = f;
      w[k] = x;
    }
  }
}

}  // namespace tessary

// Horner evaluation of the rational approximations' polynomials.
#include "numeric/special_functions.h"

namespace tessary {

double polevl(double x, const double* coef, std::int32_t N) {
  if (N < 0) return 0.0;
  double sum = coef[0];
  for (std::int32_t i = 1; i <= N; ++i)
    sum = sum * x + coef[i];
  return sum;
}

double p1evl(double x, const double* coef, std::int32_t N) {
  if (N < 1) return 1.0;
  double sum = x + coef[0];
  for (std::int32_t i = 1; i < N; ++i)
    sum = sum * x + coef[i];
  return sum;
}

}  // namespace tessary

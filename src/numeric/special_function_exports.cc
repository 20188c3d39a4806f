// Exports of the special functions. None has a message of its own: a failure inside
// one (after the trace line of mtherr) becomes a quiet NaN result, so that no failure
// value crosses the library boundary.
#include <limits>

#include "frame/boundary.h"
#include "numeric/special_functions.h"
#include "tessary.h"

namespace {

constexpr double kQuietNaN = std::numeric_limits<double>::quiet_NaN();

template <class Body>
double valueOrNaN(Body&& body) noexcept {
  return tessary::guardSilently(kQuietNaN, body);
}

}  // namespace

extern "C" {

TESSARY_EXPORT double polevl(double x, const double* coef, int32_t N) {
  return valueOrNaN([&] { return tessary::polevl(x, coef, N); });
}

TESSARY_EXPORT double p1evl(double x, const double* coef, int32_t N) {
  return valueOrNaN([&] { return tessary::p1evl(x, coef, N); });
}

TESSARY_EXPORT double lgam(double x) {
  return valueOrNaN([&] { return tessary::lgam(x); });
}

TESSARY_EXPORT double igam(double a, double x) {
  return valueOrNaN([&] { return tessary::igam(a, x); });
}

TESSARY_EXPORT double igamc(double a, double x) {
  return valueOrNaN([&] { return tessary::igamc(a, x); });
}

TESSARY_EXPORT double igami(double a, double y0) {
  return valueOrNaN([&] { return tessary::igami(a, y0); });
}

TESSARY_EXPORT double ndtri(double y) {
  return valueOrNaN([&] { return tessary::ndtri(y); });
}

TESSARY_EXPORT double chi2dtri(double df, double y) {
  return valueOrNaN([&] { return tessary::chi2dtri(df, y); });
}

TESSARY_EXPORT double FDistribution(int32_t ia, int32_t ib, double x) {
  return valueOrNaN([&] { return 1.0 - tessary::fdtr(ia, ib, x); });
}

TESSARY_EXPORT double stdtrA(int16_t k, double t) {
  return valueOrNaN([&] { return tessary::stdtr(static_cast<int32_t>(k), t); });
}

}  // extern "C"

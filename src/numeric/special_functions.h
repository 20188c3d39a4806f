// The distribution functions: gamma and log-gamma, the regularised incomplete gamma and
// beta integrals with their inverses, the inverse normal, and the Student t, F and
// chi-square distributions. They follow the Cephes algorithms (double precision).
//
// Every domain, pole or underflow error goes through mtherr, which writes a line feed
// and the function's name to standard output and throws "error in mtherr"; no
// fallback value is ever returned. incbet throws "Bad parameter calling incbet" and
// stdtr "DF must be greater than 0" directly.
#pragma once

#include <cstdint>

namespace tessary {

// Error codes passed to mtherr.
enum MathErrorCode : int {
  kMathDomain = 1,
  kMathSingularity = 2,
  kMathOverflow = 3,
  kMathUnderflow = 4,
  kMathTotalLoss = 5,
  kMathPartialLoss = 6,
};

// Text of an error code ("unknown" outside 1..6). Kept for reference; never shown.
const char* mathErrorText(int code);

// Writes "\n" + name to standard output, records the code and throws "error in mtherr".
[[noreturn]] void mtherr(const char* name, int code);

// The code of the last mtherr call on this thread (0 before any).
int lastMathError();

// The sign of gamma(x) left by the last gamma or lgam call on this thread (+1 or -1).
int gammaSign();

// coef[0]*x^N + ... + coef[N]; N below 0 gives 0.0.
double polevl(double x, const double* coef, std::int32_t N);
// x^N + coef[0]*x^(N-1) + ... + coef[N-1]; N below 1 gives 1.0.
double p1evl(double x, const double* coef, std::int32_t N);

double gamma(double x);
double stirf(double x);  // Stirling's formula, for 33 <= x <= MAXGAM
double lgam(double x);   // log |gamma(x)|

double igam(double a, double x);    // P(a, x)
double igamc(double a, double x);   // Q(a, x) = 1 - P(a, x)
double igami(double a, double y0);  // x with Q(a, x) = y0, 0 < y0 < 1

double ndtri(double y);  // x with Phi(x) = y

double incbet(double a, double b, double x);  // regularised I_x(a, b)
double incbcf(double a, double b, double x);
double incbd(double a, double b, double x);
double pseries(double a, double b, double x);
double incbi(double a, double b, double y);  // x with I_x(a, b) = y

double stdtr(std::int32_t k, double t);                    // Student t lower tail
double fdtr(std::int32_t ia, std::int32_t ib, double x);   // F lower tail
double fdtri(std::int32_t ia, std::int32_t ib, double y);  // x with upper F tail y
double chi2dtri(double df, double y);                      // x with P(chi2_df <= x) = y

}  // namespace tessary

// Elementary functions over arrays of doubles, through SLEEF's vectorised routines
// (1.0 ulp for exp, log and pow, 0.5 for sqrt, 0.506 ulp for sinpi and cospi): eight
// lanes at a time on processors with AVX-512, else two, SLEEF picking the variant for
// the processor at the first call. Each element's result depends on its value alone
// (never on its position or on the array's length), so it repeats on every machine of
// the same kind.
#pragma once

#include <cstddef>

namespace tessary::vmath {

// out[i] = e^in[i]; out may be in.
void exp(const double* in, double* out, std::size_t n);

// out[i] = ln in[i]; out may be in.
void log(const double* in, double* out, std::size_t n);

// out[i] = sqrt(in[i]), correctly rounded as the C library's; out may be in.
void sqrt(const double* in, double* out, std::size_t n);

// out[i] = x[i * xStep] ^ y[i * yStep] (steps 0 or 1: a step of 0 repeats one value);
// out may be x or y when its step is 1.
void pow(const double* x, std::size_t xStep, const double* y, std::size_t yStep, double* out,
         std::size_t n);

// sinOut[i] = sin(pi in[i]), cosOut[i] = cos(pi in[i]); either output may be in.
void sinCosPi(const double* in, double* sinOut, double* cosOut, std::size_t n);

}  // namespace tessary::vmath

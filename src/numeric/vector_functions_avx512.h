// The elementary functions of vector_functions.h eight lanes at a time, for processors
// with AVX-512 (the file is compiled for it); vector_functions.cc calls them only there.
#pragma once

#include <cstddef>

namespace tessary::vmath::avx512 {

void exp(const double* in, double* out, std::size_t n);
void log(const double* in, double* out, std::size_t n);
void sqrt(const double* in, double* out, std::size_t n);
void pow(const double* x, std::size_t xStep, const double* y, std::size_t yStep, double* out,
         std::size_t n);

}  // namespace tessary::vmath::avx512

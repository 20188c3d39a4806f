#include "data/column_summary_avx512.h"

#include <immintrin.h>

namespace tessary::avx512 {

void scanColumn(const double* values, std::size_t n, ScanTotals& totals) {
  // From 2^52 on every double is integral; below it, adding and taking away 2^52
  // rounds to the nearest integer, which equals the value only when it is integral.
  const __m512d allIntegral = _mm512_set1_pd(4503599627370496.0);
  const __m512d infinity = _mm512_set1_pd(__builtin_inf());
  __m512d low = _mm512_set1_pd(totals.lowest);
  __m512d high = _mm512_set1_pd(totals.highest);
  std::uint64_t finite = 0;
  std::uint64_t fractional = 0;
  for (std::size_t i = 0; i < n; i += 8) {
    const __m512d v = _mm512_loadu_pd(values + i);
    const __m512d magnitude = _mm512_abs_pd(v);
    const __mmask8 isFinite = _mm512_cmp_pd_mask(magnitude, infinity, _CMP_LT_OQ);  // not NaN
    low = _mm512_mask_min_pd(low, isFinite, low, v);
    high = _mm512_mask_max_pd(high, isFinite, high, v);
    const __m512d rounded = _mm512_sub_pd(_mm512_add_pd(magnitude, allIntegral), allIntegral);
    const __mmask8 small = _mm512_cmp_pd_mask(magnitude, allIntegral, _CMP_LT_OQ);
    const __mmask8 isFractional = _mm512_mask_cmp_pd_mask(small, rounded, magnitude, _CMP_NEQ_UQ);
    finite += static_cast<unsigned>(__builtin_popcount(isFinite));
    fractional += static_cast<unsigned>(__builtin_popcount(isFractional));
  }
  // Lane by lane: GCC's own reductions warn of uninitialized values.
  double lows[8], highs[8];
  _mm512_storeu_pd(lows, low);
  _mm512_storeu_pd(highs, high);
  for (int lane = 0; lane < 8; ++lane) {
    totals.lowest = lows[lane] < totals.lowest ? lows[lane] : totals.lowest;
    totals.highest = highs[lane] > totals.highest ? highs[lane] : totals.highest;
  }
  totals.finite += finite;
  totals.fractional += fractional;
}

}  // namespace tessary::avx512

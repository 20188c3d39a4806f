/*
 * Tessary: small-area estimation of household welfare.
 *
 * Conventions for every function below:
 *  - Strings are 8-bit and NUL-terminated. The library never allocates memory for the
 *    caller: results go into buffers the caller owns and sizes as each function says.
 *  - Matrices are plain arrays of doubles. mmultiply and svdcmp store them column by
 *    column (element (i, j) of an r-row matrix at j*r + i); linearEq and minverse
 *    row by row (coefficient c of equation r at r*n + c).
 *  - The missing value is positive infinity; a value is missing when it is not finite.
 *  - Functions that run file-backed work catch every failure at the boundary: they
 *    show it through the message handler (see TessarySetMessageHandler) and return a
 *    negative code. No exception ever leaves the library.
 *  - Numerical functions show nothing; they report through their results. When they
 *    cannot finish (memory exhausted) they return the failure result given below
 *    (NaN for a double result) without a message; no exception leaves them either.
 */
#ifndef TESSARY_H_
#define TESSARY_H_

#include <stdint.h>

#if defined(__GNUC__)
#define TESSARY_EXPORT __attribute__((visibility("default")))
#else
#define TESSARY_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Messages --------------------------------------------------------------------- */

/* Presents one message: owner window (always NULL on this platform), the text, the
 * caption and a Windows message-box style word (0x10 error icon, 0x30 exclamation,
 * 0x40 information, 0x4 yes/no buttons ...). Returns the button chosen in Windows
 * numbering: 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No. */
typedef int (*TessaryMessageHandler)(void* owner, const char* text, const char* caption,
                                     unsigned int style);

/* Installs the handler every message of the library goes to and returns the previous
 * one (NULL when the default was in place). NULL restores the default, which writes
 * the caption and the text to standard error and answers with the style's default
 * button (1 for OK-only styles, 6 for yes/no styles). */
TESSARY_EXPORT TessaryMessageHandler TessarySetMessageHandler(TessaryMessageHandler handler);

/* ---- Version and diagnostics ------------------------------------------------------ */

/* Copies the version text "101" and its NUL into buf (at least 4 bytes); returns buf. */
TESSARY_EXPORT char* RgVersion(char* buf);

/* Reads a packed string list (16-bit little-endian count N, then N entries of a 16-bit
 * length and that many bytes) and shows each string, in order, in a message box
 * captioned "msgbox". Returns N; a count of zero or less shows nothing; -1 when memory
 * runs out. */
TESSARY_EXPORT int16_t stringsTest(const void* packedList);

/* ---- Dense matrices --------------------------------------------------------------- */

/* Solves a x = b for the n x n row-major a. Returns 0, or -1 when a is singular (a
 * pivot below 1e-12 in magnitude or not a number) or memory runs out; x is then
 * untouched. a is
 * overwritten with its LU factors; b is used as scratch and restored on return. */
TESSARY_EXPORT int8_t linearEq(double* a, int32_t n, double* b, double* x);

/* Inverts the n x n row-major a: inv[c*n + r] receives element (r, c) of the inverse
 * (the transpose in a's storage order; the inverse itself for a symmetric a). Returns
 * 1, or 0 when a is singular, leaving inv untouched (0 also when memory runs out). a is
 * overwritten with its LU factors. */
TESSARY_EXPORT int32_t minverse(double* a, int32_t n, double* inv);

/* C = A B, column-major, A m x n, B n x p, C m x p. Writes nothing when m < 1 or
 * p < 1; fills C with 0.0 when n < 1. C must not overlap A or B. */
TESSARY_EXPORT void mmultiply(double* A, int32_t m, int32_t n, int32_t p, double* B, double* C);

/* Singular value decomposition a = U diag(w) V', a m x n column-major with m >= n.
 * a is replaced by U, w receives the n singular values (non-negative, unordered) and
 * v receives V with leading dimension m: element (i, j) at v[j*m + i]; v must hold
 * m*n doubles. Returns 1; 0 when memory runs out (a, w and v then partly written). */
TESSARY_EXPORT uint8_t svdcmp(double* a, int32_t m, int32_t n, double* w, double* v);

/* ---- Univariate statistics -------------------------------------------------------- */

/* Thirteen weighted statistics per group of consecutive values, 13 doubles per group in
 * out: count, mean, variance, minimum, median, maximum, total weight, then the 5th,
 * 10th, 25th, 75th, 90th and 95th percentiles (position trunc(k * step) of the sorted
 * group, step = count * 0.05 rounded to single precision, k * step in double).
 * Groups: groupSizes[0..nGroups-1] values each; with nGroups 0, n / groupSizes[0]
 * groups of groupSizes[0] values (the remainder is left alone).
 * Weights count when weights[0] > 0; otherwise every weight is 1 and weights is not
 * read beyond its first element. Each group of values is sorted in place, the used
 * weights moving with their values; values that are not finite become +infinity (the
 * missing value), are not counted and sort last. A value counts when it and its weight
 * are finite. The variance is (S2/W - mean^2) * m / (m - 1) with m the group's size.
 * A group without a valid value gets the missing value for its order statistics.
 * Shows nothing; returns 0, or -1 when memory runs out (out then partly written). */
TESSARY_EXPORT int32_t Univariate(double* values, double* weights, int32_t n, int32_t* groupSizes,
                                  int32_t nGroups, double* out);

/* ---- Distribution functions ------------------------------------------------------ */
/* A failure inside these functions (an argument outside the domain, a pole, an
 * underflow of the result) first writes a line feed and the failing routine's name to
 * standard output ("\nndtri", "\nlgam", ...) and then yields a quiet NaN result;
 * nothing is shown and no exception leaves the library. Test results with isFinite. */

/* coef[0]*x^N + coef[1]*x^(N-1) + ... + coef[N]; coef holds N+1 values. N < 0 gives
 * 0.0 without reading coef. */
TESSARY_EXPORT double polevl(double x, const double* coef, int32_t N);

/* x^N + coef[0]*x^(N-1) + ... + coef[N-1] (leading coefficient 1.0 implied); coef
 * holds N values. N < 1 gives 1.0 without reading coef. */
TESSARY_EXPORT double p1evl(double x, const double* coef, int32_t N);

/* log |gamma(x)|. NaN at the poles (0, -1, -2, ...) and above 2.556348e305. */
TESSARY_EXPORT double lgam(double x);

/* Regularised lower incomplete gamma P(a, x); 0.0 when a <= 0 or x <= 0. NaN when
 * P or its complement Q underflows (for x > 1 and x > a, P is computed as 1 - Q). */
TESSARY_EXPORT double igam(double a, double x);

/* Regularised upper incomplete gamma Q(a, x) = 1 - P(a, x); 1.0 when a <= 0 or
 * x <= 0. NaN when Q or its complement P underflows (for x < 1 or x < a, Q is
 * computed as 1 - P). */
TESSARY_EXPORT double igamc(double a, double x);

/* x with Q(a, x) = y0, for a > 0 and 0 < y0 < 1; NaN outside that domain and when
 * Q underflows on the way to the root. */
TESSARY_EXPORT double igami(double a, double y0);

/* x with Phi(x) = y for the standard normal; NaN unless 0 < y < 1. */
TESSARY_EXPORT double ndtri(double y);

/* Chi-square quantile of the lower tail: x with P(chi2_df <= x) = y. NaN unless
 * df >= 1 and 0 < y < 1. */
TESSARY_EXPORT double chi2dtri(double df, double y);

/* Upper tail of the F distribution with (ia, ib) degrees of freedom at x: the p-value
 * of an F statistic. NaN unless ia >= 1, ib >= 1 and x >= 0. */
TESSARY_EXPORT double FDistribution(int32_t ia, int32_t ib, double x);

/* Lower tail of Student's t distribution with k degrees of freedom at t. A quiet NaN
 * when k <= 0, with nothing written or shown. */
TESSARY_EXPORT double stdtrA(int16_t k, double t);

/* ---- Small statistics ------------------------------------------------------------ */
/* None of these shows a message. Counts below 1 mean an empty vector. */

/* Two-sample chi-square test of binned data with different totals. Bins are keyed by
 * x1[i] and x2[i] truncated toward zero, with weights w1 and w2; knstrn constraints are
 * subtracted from the degrees of freedom, and a key with zero weight in both samples
 * removes one more. Writes the statistic to *chsq and the degrees of freedom to *df and
 * returns the upper-tail p-value; NaN when that probability underflows. Returns -1.0,
 * writing nothing, when the first sample's total weight is not positive. */
TESSARY_EXPORT double Chi2Two(const double* x1, const double* w1, int32_t n1, const double* x2,
                              const double* w2, int32_t n2, int32_t knstrn, double* chsq,
                              double* df);

/* Two-sample Kolmogorov-Smirnov test on weighted bins. A descriptor holds at least 14
 * doubles: [10] the bin width, [11] the first bin's value, [13] the number of bins (at
 * most 508 for desc1 and 510 for desc2; larger counts are clamped). w1 and w2 hold one
 * weight per bin and are not modified. Writes the statistic to *d and returns the
 * p-value; an empty sample gives 1.0 with *d = 0. */
TESSARY_EXPORT double Kstwo(const double* desc1, const double* w1, const double* desc2,
                            const double* w2, double* d);

/* Sorts keys[0..n-1] ascending (not stable), applying every exchange to companion too.
 * Quick_Sort and sorting differ only in argument order. n < 2 leaves both unchanged. */
TESSARY_EXPORT void Quick_Sort(int32_t n, double* keys, double* companion);
TESSARY_EXPORT void sorting(double* keys, double* companion, int32_t n);

/* Number of set bits in the nBytes bytes of mask; 0 when nBytes < 1. */
TESSARY_EXPORT int32_t bitCounts(const unsigned char* mask, int32_t nBytes);

/* Counts the finite values of x[0..n-1] and writes their smallest and largest to *min
 * and *max; with no finite value (or n < 1) writes +infinity to both and returns 0. */
TESSARY_EXPORT int32_t getRange(const double* x, int32_t n, double* min, double* max);

/* -1 when x is finite, 0 for +-infinity and NaN. */
TESSARY_EXPORT int32_t isFinite(double x);

/* In place x[i] = (x[i] - mean) / sd with the sample standard deviation (divisor n-1);
 * with n = 1 the values become non-finite. Returns x + n; x itself, untouched, when
 * n < 1. */
TESSARY_EXPORT double* Standardize(double* x, int32_t n);

/* Scales x[0..n-1] in place so that it sums to total; returns the sum before scaling
 * (0.0, nothing written, when n < 1). */
TESSARY_EXPORT double Unitization(double* x, int32_t n, double total);

/* ---- Data arrays ------------------------------------------------------------------ */

/* Writes the household-level variable `name` of the combined data array described by
 * the .daA file daaPath and selects it, creating it (kind 'N') when absent. holes is a
 * record bitmap (record 1 in the lowest bit of byte 0, a set bit marks a missing record)
 * covering the largest record count of the data set's levels, which must equal the
 * household count; values holds one value per clear bit, in record order (may be NULL
 * when every bit is set). On success the value, hole and header files hold the
 * variable and 0 is returned. A failure shows a message box captioned
 * "updateVariable" and returns -2 (a data set that cannot be loaded: -1, "Unexpected
 * error occured"); the header file is then left as it was. NULL daaPath, name or
 * holes fail with -2. */
TESSARY_EXPORT int16_t updateVariable(const char* daaPath, const char* name, double* values,
                                      unsigned char* holes);

/* ---- Cross tabulation ----------------------------------------------------------- */

/* Tabulates the data set dataPath as HTML into "EvalResult.tbl" in the temporary
 * directory: sourceCode 0, 1 or 2 reads the combined data array (.daA) at that level,
 * 3 or more the data array (.daH). mode 0 summarises the comma-separated variables of
 * list; modes 1 (one-way) and 2, 3 (two-way) tabulate the analysis expression list by
 * rowFormula (and colFormula). recordFilter selects the records whose value is 1 (an
 * empty filter selects every record); weight weighs them (empty: every weight 1).
 * options points to 15 bytes: byte 0 bit 0 writes the page head and creates the file
 * anew (otherwise the fragment is appended); bytes 1-8 enable Count, Mean, Std Dev.,
 * Min, Max, Row %, Col %, Total %; byte 9 lays two-way tables out one line per
 * statistic. Two-way tables carry the row formula in their leading heading cell and
 * "Statistic" and the column formula in the second heading row.
 * Returns 0; on failure the file is left as it was, the message is shown (style 0x30,
 * caption "CrossTabulate...") only when showMessages is non-zero, a line is appended
 * to "Tarvex.err", and the result is -2 (-1 for an unexpected failure). */
TESSARY_EXPORT int32_t CrossTabulate(void* owner, const char* dataPath, int32_t sourceCode,
                                     const char* recordFilter, const char* weight, int32_t mode,
                                     const char* list, const char* rowFormula,
                                     const char* colFormula, unsigned char* options,
                                     unsigned char showMessages);

/* Groups consecutive selected records by trunc(identifier / 10^shift), the identifier
 * being the level's record-identifier column (the variable its header names, else the
 * record number), and writes per group the key to keysOut[g] and a statistic of the
 * expression list to valuesOut[g]: statistic mod 15 = 1 count, 2 weighted mean,
 * 3 weighted standard deviation, 4 minimum, 5 maximum, any other the weighted mean.
 * The caller sizes both arrays for the groups. Returns the number of groups; failures
 * as CrossTabulate with the caption "Summary...". */
TESSARY_EXPORT int32_t summaryByShiftedID(void* owner, const char* dataPath, int32_t sourceCode,
                                          const char* recordFilter, const char* weight,
                                          const char* list, int32_t shift, int32_t statistic,
                                          unsigned char showMessages, double* keysOut,
                                          double* valuesOut);

#ifdef __cplusplus
}
#endif

#endif /* TESSARY_H_ */

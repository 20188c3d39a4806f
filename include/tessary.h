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
 *  - Numerical functions show nothing; they report through their results.
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
 * captioned "msgbox". Returns N; a count of zero or less shows nothing. */
TESSARY_EXPORT int16_t stringsTest(const void* packedList);

/* ---- Dense matrices --------------------------------------------------------------- */

/* Solves a x = b for the n x n row-major a. Returns 0, or -1 when a is singular (a
 * pivot below 1e-12 in magnitude or not a number); x is then untouched. a is
 * overwritten with its LU factors; b is used as scratch and restored on return. */
TESSARY_EXPORT int8_t linearEq(double* a, int32_t n, double* b, double* x);

/* Inverts the n x n row-major a: inv[c*n + r] receives element (r, c) of the inverse
 * (the transpose in a's storage order; the inverse itself for a symmetric a). Returns
 * 1, or 0 when a is singular, leaving inv untouched. a is overwritten with its LU
 * factors. */
TESSARY_EXPORT int32_t minverse(double* a, int32_t n, double* inv);

/* C = A B, column-major, A m x n, B n x p, C m x p. Writes nothing when m < 1 or
 * p < 1; fills C with 0.0 when n < 1. C must not overlap A or B. */
TESSARY_EXPORT void mmultiply(double* A, int32_t m, int32_t n, int32_t p, double* B, double* C);

/* Singular value decomposition a = U diag(w) V', a m x n column-major with m >= n.
 * a is replaced by U, w receives the n singular values (non-negative, unordered) and
 * v receives V with leading dimension m: element (i, j) at v[j*m + i]; v must hold
 * m*n doubles. Always returns 1. */
TESSARY_EXPORT uint8_t svdcmp(double* a, int32_t m, int32_t n, double* w, double* v);

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

#ifdef __cplusplus
}
#endif

#endif /* TESSARY_H_ */

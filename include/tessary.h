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
 * household count (otherwise "Invalid mask length.\n", and holes is not read); values
 * holds one value per clear bit, in record order (may be NULL when every bit is set).
 * On success the value, hole and header files hold the variable and 0 is returned. A
 * failure, a data set whose files open only for reading included, shows a message box
 * captioned "updateVariable" and returns -2 (a data set that cannot be loaded: -1,
 * "Unexpected error occured"); the data set then reads as before, since new values and
 * holes go to fresh regions of their files and the header is replaced atomically.
 * NULL daaPath, name or holes fail with -2. */
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

/* ---- Shape files and linkage -------------------------------------------------------- */
/* A spatial path is a stem: when its fourth character from the end is a full stop
 * the last four characters are dropped ("areas.shp" names "areas"), then ".shp",
 * ".shx" and ".dbf" are added. A standard shape file is one written by
 * shapeStandardize or shapeAggregation: polygons with the summary table Seq, GID,
 * nVertices, nParts, Label, xMin, yMin, xMax, yMax, centerX, centerY, Area, LabelLen.
 * Micro-units are map coordinates times 1,000,000 truncated toward zero. None of these
 * functions shows a message except spatialTransform. Results common to them: -1 shape
 * file not opened, -2 table not opened, -11 a field that should read as a number is
 * logical or a date, -12 the polygon clipper failed (a coordinate beyond about 2.3e9
 * map units) or memory ran out. A NULL path is an empty one. */

/* Sums over the summary table path.dbf: *totalVertices, *totalParts and
 * *totalLabelLength receive the sums of nVertices, nParts and LabelLen (saturating at
 * INT32_MAX), *maxVertices the largest nVertices. Returns the record count; -2, or -5
 * without a GID field, leaving the outputs alone. getShapes needs 24 words per shape,
 * 2 words per part plus 2 per vertex, and the label bytes. */
TESSARY_EXPORT int32_t getSizes(const char* path, int32_t* totalVertices, int32_t* totalParts,
                                int32_t* totalLabelLength, int32_t* maxVertices);

/* Fills the caller's buffers with the selected shapes of a standard shape file, in
 * file order, and returns their number. records: 24 words per shape: 0 shape number,
 * 1 shape type of the file, 2 vertices, 3 parts, 4 index in coords where its parts
 * begin, 5 untouched, 6 label length, 7 label index in labels, then doubles at words
 * 8 GID, 10-16 xMin, yMin, xMax, yMax and 18-20 centerX, centerY (all in micro-units)
 * and 22 Area. coords: per part its type, its vertex count n, then n (x, y) pairs in
 * micro-units. labels: the label bytes without terminators. bounds: xmin, ymin, xmax,
 * ymax of the selected shapes times 1,000,000 (+-infinity when none is selected).
 * mode 1: filter[0] <= GID <= filter[1]; 2: the table's rectangle meets filter[0..3]
 * (xmin, ymin, xmax, ymax); 3: filter holds filterCount ascending GIDs (at most the
 * shape count are used), taken in turn as the file is walked, so a wanted GID that
 * never comes blocks the rest; any other mode, or a NULL filter: every shape.
 * Failures (nothing written): -1, -2, -5 no GID, -6 no Label, -7 no centerX, centerY,
 * Area, XMin, YMin, XMax or YMax, -8 a mode-3 list that is not ascending, -11, -12. */
TESSARY_EXPORT int32_t getShapes(const char* path, int32_t* records, int32_t* coords, char* labels,
                                 double* bounds, double* filter, int32_t filterCount, int32_t mode);

/* The position (0-based) in records of the first of nShapes shapes, as getShapes
 * wrote them, that holds the point (x, y) in micro-units by the even-odd rule over all
 * its rings (lower and left edges inside, upper and right edges outside; holes
 * excluded); -1 when none does or nShapes < 1. */
TESSARY_EXPORT int32_t getShapeNo(double x, double y, const int32_t* records, const int32_t* coords,
                                  int32_t nShapes);

/* Reads idField of every record of path.dbf as a number (a string field as the
 * number opening its substring [start, start + length), the whole text when start
 * equals length), divides by 10^shiftDigits and truncates: writes the smallest and
 * largest result and returns the number of distinct results. checkField must exist.
 * -2, -5 no idField, -6 no checkField, -11; an empty table returns 0. The outputs
 * are written only on success. */
TESSARY_EXPORT int32_t getGeoIDStats(const char* path, const char* idField, const char* checkField,
                                     int32_t start, int32_t length, int32_t shiftDigits,
                                     double* minOut, double* maxOut);

/* Writes the standard shape file target (polygons and summary table) from source:
 * the shapes of each identifier idField (a number, or the number in the substring
 * [start, start + length) of a string field) become one polygon holding all their
 * rings, in ascending identifier order, labelled with labelField of the first of
 * them. Prints one line per field on standard output, "<position> <type> <start>
 * <length><<<<". Returns 0; -1, -2, -3 target shape file not created, -4 target table
 * not created, -5 no idField, -6 no labelField, -9 start or length positive for a
 * numeric idField, -10 labelField not a string field, -11, -12. Target files already
 * created stay when a later step fails; the source is never changed. */
TESSARY_EXPORT int32_t shapeStandardize(const char* source, const char* target, const char* idField,
                                        const char* labelField, int32_t start, int32_t length);

/* Writes the standard shape file target from the standard shape file source, whose
 * idField values must ascend strictly: the polygons whose identifiers agree after the
 * last shiftDigits digits are dropped are united (holes stay holes) into one polygon
 * with GID the shortened identifier and the label of the group's first shape; then
 * writes target.LMX as buildLinkageMatrix(target, 1, 1) does. Returns the number of
 * groups minus one; -1 .. -6 as shapeStandardize, -8 when the identifiers do not
 * ascend strictly, -11, -12. */
TESSARY_EXPORT int32_t shapeAggregation(const char* source, const char* target, const char* idField,
                                        const char* labelField, int32_t shiftDigits);

/* Writes the linkage file of a standard shape file: kind 1 path.LMX (contiguity: a
 * pair of areas i < j is linked when some vertex of i lies inside the first ring of j
 * by the even-odd rule; parameter ignored, stored as 1), 2 path.DMX (label anchors,
 * read as longitude and latitude in degrees, at most parameter km apart on a sphere of
 * 6371 km), 3 path.KMX (the parameter nearest anchors, nearest first; an area's own
 * distance counts as infinite). Layout: 32-bit little-endian kind, parameter, n, then
 * per area its number, its neighbour count and the neighbours. Returns 0 (also for any
 * other kind, writing nothing); -1 (kind 1), -2 or -7 without centerX or centerY
 * (kinds 2, 3), -9 when the file cannot be written, -11, -12. */
TESSARY_EXPORT int32_t buildLinkageMatrix(const char* path, int32_t kind, int32_t parameter);

/* Smooths x (n values, one per area) into out (may be x): kinds 1-3 take the mean of
 * the finite values of each area's neighbours in the linkage file of that kind, which
 * must carry the same parameter; kind 4 the mean over every other area weighted by
 * 1/d^parameter with d the anchors' distance in km (coinciding anchors give no weight).
 * An area with no finite value to average gets positive infinity. Returns 0 (also for
 * other kinds, doing nothing); 0xFE when the file or table has another number of
 * areas than n; 0xFD after the message "Can't read from <file>" or "<file> is
 * different in structure" (shown as the message box "msgbox": "Unexpected error", a
 * line feed, the text); for kind 4 the table's results -2, -7, -11 as bytes (0xFE,
 * 0xF9, 0xF5); 0xF4 when memory ran out. out is written only on success. */
TESSARY_EXPORT uint8_t spatialTransform(const char* path, double* x, double* out, int32_t n,
                                        int32_t kind, int32_t parameter);

/* ---- Regression ------------------------------------------------------------------- *
 * A model file holds one model: its dependent variable, weight variable, condition and
 * candidate regressors (the intercept first), and after a fit the coefficients and
 * statistics. mBuffer is a record bitmap over the household level (record 1 in the
 * lowest bit of byte 0, a set bit excludes the record); the model's condition adds its
 * exclusions to it, and they stay in the caller's buffer. weights holds one weight per
 * included record, in record order (NULL: every weight 1). The packed SSCP of a model
 * with n candidates holds (n+1)(n+2)/2 doubles: the upper triangle, row by row, of the
 * weighted cross-products of the candidates and the dependent variable (last). Trace
 * lines go to standard output. NULL paths name no file. */

/* Reads the model file, applies its condition to mBuffer, writes the model file back
 * with the included count and total weight, and writes the packed SSCP of every
 * candidate to sscpOut. Returns the number of included records. A failure shows a box
 * captioned "makeSSCP" and returns -2 ("Can't make SSCP" when the model has no
 * dependent variable; -1 after an unexpected failure); sscpOut is then unreliable. */
TESSARY_EXPORT int32_t makeSSCP(const char* cdaPath, const char* modelFile, unsigned char* mBuffer,
                                double* weights, double* sscpOut);

/* Fits the model of the model file (the intercept and the regressors marked in it) by
 * least squares from the packed SSCP, writes coefficients, standard errors, p-values
 * and statistics back into the model file and appends the "OLS estimation" report to
 * reportFile (none when empty). Returns the number of regressors fitted; 0 for a model
 * marking none (nothing written); -1 when sscp[0] is not above 0 (nothing touched) or
 * the cross-product matrix is singular (the file then records the failed fit); -2 when
 * the model file cannot be read or written. */
TESSARY_EXPORT int16_t OLSRegression(const char* modelFile, double* sscp, const char* reportFile);

/* Builds the model file of dependent variable LHS from the variables selected in the
 * project's survey data set (every category of a categorical variable as a dummy; with
 * yhatLevel 1 or 2 the predicted value, its square and the interactions), or, when the
 * model file exists, adds newly selected variables (those no regressor is named after,
 * exactly: a categorical variable's dummies come again) and drops deselected ones. Returns
 * the record count; a failure shows a box captioned "Build model from CDA" and returns
 * -2 (-1 after an unexpected failure), leaving an existing model file as it was. */
TESSARY_EXPORT int32_t buildModelFromCombinedDataset(const char* projectFile, const char* modelFile,
                                                     const char* LHS, int32_t yhatLevel);

/* Writes the design matrix column by column, nObs rows each: the intercept, the
 * regressors (mode 0-2: those of the model; 3-5: every candidate), then the dependent
 * variable. xOut holds nObs x (columns + 1) doubles. Returns nObs; a failure shows a
 * box captioned "getRegressors" and returns -1 ("Can't get X" when the model has no
 * column), or -2 without a box after an unexpected failure. */
TESSARY_EXPORT int32_t getRegressors(const char* cdaPath, const char* modelFile,
                                     unsigned char* mBuffer, double* weights, double* xOut,
                                     int32_t mode);

/* Writes, for the included records, the dependent variable to yOut, the fitted model's
 * predictions to yhatOut and their differences to residOut; each holds as many doubles
 * as the data set has records (they serve as work space). Returns 0; a failure shows a
 * box captioned "Error in retrieving the residual" and returns -2 (-1 after an
 * unexpected failure). */
TESSARY_EXPORT int16_t getResidual(const char* cdaPath, const char* modelFile,
                                   unsigned char* mBuffer, double* weights, double* yOut,
                                   double* yhatOut, double* residOut);

/* Copies, in order, the values of the records whose bit is clear in mBuffer (nRecs
 * records) to out; returns how many. NULL arguments show a box captioned "Error in
 * retrieving the residual" and return -2. */
TESSARY_EXPORT int32_t getCleanVector(const double* values, const unsigned char* mBuffer,
                                      int32_t nRecs, double* out);

/* Reads bytes from..to (0-based, inclusive) of fileName into buffer (to - from + 1
 * bytes); the file is created when absent. Returns the bytes read (0 when to < from).
 * A file that cannot be opened or read shows a box captioned "msgbox" and returns 0. */
TESSARY_EXPORT int32_t readFileSection(const char* fileName, int32_t from, int32_t to,
                                       void* buffer);

/* ---- Data sets for hosts: additions of this library, beyond the catalogue ---------- */

/* Each of these reports a failure through the message handler, captioned with its own
 * name, and returns -1; an unexpected failure (memory exhausted included) shows
 * "Unexpected error occured". NULL strings read as empty. A data set is named as the
 * command-line tool takes it: a combined data array (.daA), a data array (.daH, or the
 * path of any of its files), or a path without an extension, the .daA taken first
 * when both exist. Levels are 0 households, 1 clusters, 2 auxiliary; a data array has
 * level 0 only. */

/* Imports file as the data array dataArray (directory + base name; a data array
 * extension is dropped): a CSV file (header row, separator ',' ';' or tab), or a Stata
 * (.dta), SPSS (.sav, .zsav) or SAS (.sas7bdat) file when the library is built with
 * ReadStat. Text columns and integer columns with value labels become categorical
 * variables with their labels, and so do CSV columns holding codes with leading zeros
 * or whole numbers beyond 2^53; names expressions cannot read are made readable
 * ("sch.wide" becomes SCH_WIDE); dates become days since 1899-12-30. A CSV file with
 * the description the tool's export writes beside it (FILE.json) takes its names,
 * labels, codes, identifier and weight from it. idVariable and weightVariable ("" for
 * none, the description's then) are recorded in the header. The new data array
 * replaces any old one of that name as one step, so a failure leaves the old one as it
 * was. Returns the number of records. */
TESSARY_EXPORT int32_t tessaryImport(const char* file, const char* dataArray,
                                     const char* idVariable, const char* weightVariable);

/* Ties the household data array households to the cluster data array clusters by their
 * numeric variable key (each sorted by it) and writes the combined data array daaPath
 * (".daA" added when absent), with the reference daaPath's stem + "_clusters.daR".
 * auxiliary ("" for none) adds a coarser level tied to the clusters by auxiliaryKey
 * (reference stem + "_aux.daR"); amplifier is recorded in the references. Returns the
 * number of cluster entries; a failure writes no .daA. */
TESSARY_EXPORT int32_t tessaryCombine(const char* households, const char* clusters, const char* key,
                                      const char* daaPath, double amplifier, const char* auxiliary,
                                      const char* auxiliaryKey);

/* Reads the variable name of dataSet at level: one value per record of that level (a
 * coarser level's value repeated over its records), a missing value as positive
 * infinity, a categorical variable as its codes. Returns the record count n of the
 * level and writes the n values to values, which holds capacity values; NULL values
 * writes nothing and returns n. capacity below n is a failure that writes nothing. */
TESSARY_EXPORT int32_t tessaryReadColumn(const char* dataSet, int32_t level, const char* name,
                                         double* values, int32_t capacity);

/* Evaluates expression (the expression language of the filters and formulas) over every
 * record of dataSet at level into values, as tessaryReadColumn reads a variable; a
 * categorical result is written as its codes. */
TESSARY_EXPORT int32_t tessaryEvaluate(const char* dataSet, int32_t level, const char* expression,
                                       double* values, int32_t capacity);
/* ---- Variable selection and by-group fits ------------------------------------- */

/* Forward, stepwise and backward selection of the model file's regressors from the
 * packed SSCP (as makeSSCP writes it). Each accepted step appends its report to
 * reportFile (none when empty or NULL); the chosen model (the regressors marked in the
 * file), its coefficients, standard errors, p-values and statistics are written back
 * into the model file. With oneStep nonzero a call advances by one addition (forward,
 * stepwise) or one removal (backward), so the caller can step through a selection.
 * Significance levels are the file's (0.05 for entry and stay in a new file).
 * Regressors marked fixed never enter or leave on their own.
 * Returns 0; -1 without a message when sscp is NULL or sscp[0] is not above 0 (nothing
 * touched) or when the selection fails (no trial fit possible, unreadable or unwritable
 * model file: the file is then left as it was); -3 after an unexpected failure, shown
 * captioned "Forward regression", "Stepwise regression" or "Backward regression". */
TESSARY_EXPORT int16_t ForwardRegression(const char* modelFile, double* sscp,
                                         const char* reportFile, unsigned char oneStep);
TESSARY_EXPORT int16_t StepwiseRegression(const char* modelFile, double* sscp,
                                          const char* reportFile, unsigned char oneStep);
TESSARY_EXPORT int16_t BackwardRegression(const char* modelFile, double* sscp,
                                          const char* reportFile, unsigned char oneStep);

/* Refits the model of the model file directly from the data once without each category
 * of the categorical variable byVar (in ascending code order), on the records makeSSCP
 * would use (the global mask, no missing value, the model's condition), weighted as the
 * model is. For every category whose fit succeeds it appends to resultsOut: the code,
 * the included count, SSE, SSR, R2, F, MSE, adjusted R2, then for each regressor of the
 * model (file order) its coefficient and t statistic: 8 + 2 * (regressors in the model,
 * intercept included) doubles per category, sized by the caller. The model file is not
 * written. Returns the number of categories fitted; a failure (NULL argument, unreadable
 * data set or model, byVar not categorical) shows a box captioned "OLS regression" and
 * returns -2, resultsOut then holding the blocks written so far. */
TESSARY_EXPORT int16_t OLSbyVar(const char* cdaPath, const char* modelFile, const char* byVar,
                                double* resultsOut);

/* ---- Error components --------------------------------------------------------------- *
 * The split of a welfare model's residual into a cluster (location) effect and a
 * household effect, the alpha model of the household variance and the GLS re-estimate.
 * Every function below writes its diagnostic trace to standard output. */

/* Finds the clusters of the records whose bit is clear in mBuffer (a record bitmap of the
 * household level): runs of consecutive records with the same key trunc(id / amplifier),
 * id being the variable the household header names and amplifier the cluster
 * reference's. Writes each run's key to clusterIdsOut and its length to countsOut (both
 * as long as the clusters can be many) and returns the number of clusters. A data set
 * that cannot be loaded ("Unexpected error occured\nCode (n)"), a zero amplifier or a NULL
 * argument show a box captioned "getCountOfCluster" and return -1. */
TESSARY_EXPORT int32_t getCountOfCluster(const char* cdaPath, unsigned char* mBuffer,
                                         double* clusterIdsOut, int32_t* countsOut);

/* Splits the n residuals u (weights w) by nClusters cluster records of 104 bytes (doubles:
 * household count at offset 0, mean residual eta at 8, within-cluster sum at 16 with
 * within / count the variance of the mean, total weight at 48; the other bytes are not
 * read; households in cluster order). Writes epsOut (n: u minus its cluster's eta),
 * etaOut and clusterWeightOut (nClusters), statsOut (6: zeros, then the sampling
 * variance of sigma^2_eta, then sigma^2_eta) and singletonsOut (clusters of at most one
 * household, left out of the estimate). Returns the sampling variance. Counts that run
 * past n, or a NULL array, show a box captioned "locationalEffect" and return 0. */
TESSARY_EXPORT double locationalEffect(const double* u, const double* w, int32_t n,
                                       int32_t nClusters, const void* clusters, double* epsOut,
                                       double* etaOut, double* clusterWeightOut, double* statsOut,
                                       int32_t* singletonsOut);

/* The alpha model's dependent variable: A = 1.05 times the largest squared finite residual
 * of e (n values) goes to *Aout, ln(e^2 / (A - e^2)) to lhsOut (n; minus infinity for a
 * zero residual). A NULL array shows a box captioned "locationalEffect" and writes
 * nothing. */
TESSARY_EXPORT void getAlphaLHS(double* lhsOut, const double* e, int32_t n, double* Aout);

/* White's covariance of the alpha model's k coefficients, H^-1 (sum w^2 r^2 x'x) H^-1 with
 * H = sum w x'x over the n included households of the model (weights NULL: all 1; r the
 * alpha regression's residuals). Writes its symmetric square root to covRootOut (k x k,
 * column by column) and returns 0. A failure (a singular H: "Matrix uninversable.", n or
 * k not the model's) shows a box captioned "getAlphaCov" and returns -1 (-3 after an
 * unexpected failure), covRootOut untouched. */
TESSARY_EXPORT int16_t getAlphaCov(const char* cdaPath, const char* modelFile,
                                   unsigned char* mBuffer, double* weights, int32_t n, int32_t k,
                                   const double* r, double* covRootOut);

/* The household error variances into varEpsOut (n): for mode > 1, with E = exp(z),
 * A E/(1+E) + alphaMSE A E (1-E) / (2 (1+E)^3) (A/2 at z = 0); otherwise betaMSE - sigEta2
 * for every household. Returns 0; NULL arrays show a box captioned "getVarEpsilon" and
 * return -2. */
TESSARY_EXPORT int16_t getVarEpsilon(int32_t n, int32_t mode, const double* z, double betaMSE,
                                     double sigEta2, double alphaMSE, double A, double* varEpsOut);

/* Re-estimates the model's k coefficients by generalised least squares over its n
 * included households, ordered cluster by cluster (clusterSizes, nClusters of them), the
 * errors of a cluster having covariance sigEta2 J + diag(varEps). The weights (n; NULL:
 * all 1) are rescaled in place to sum to n. Without the location component (noLocation
 * non-zero) the weights are w / varEps. Writes the coefficients to betaOut (k), the
 * standard errors sqrt(inv(i,i)) MSE W / n to seOut (k; W the weights' sum as
 * given) and the symmetric square root of
 * inv M inv, M = T'BT with T = V diag(sqrt w) X, to covRootOut (k x k, column by column),
 * inv being (X'BX)^-1; returns 0. A cluster of more than 5,000 households or a singular
 * cluster matrix shows "GLS adjustment can't be performed. Fail over to no location
 * effect." (caption "msgbox") and computes without the location component. A failure
 * (a singular X'BX: "Matrix uninversable.", n or k not the model's, NULL arrays) shows a
 * box captioned "Tessary.dll::GLSadjustment" and returns -1 (-2 after an unexpected
 * failure); the outputs are then untouched. traceMode chooses trace titles only. */
TESSARY_EXPORT int16_t GLSadjustment(const char* cdaPath, const char* modelFile,
                                     unsigned char* mBuffer, double* weights, int32_t n, int16_t k,
                                     int16_t traceMode, int32_t nClusters, double sigEta2,
                                     const double* y, const double* varEps,
                                     const int32_t* clusterSizes, unsigned char noLocation,
                                     double* betaOut, double* seOut, double* covRootOut);

/* Refits the model once for every group listed in "EvalResult.lbl" in the temporary
 * directory (the codes of the last categorical expression evaluated), leaving out the
 * households where byVar equals the group's code; the model file is not changed. For
 * each refit that succeeds appends to resultsOut the code, nObs, SSE, SSR, R2, F, MSE,
 * adjR2, then coefficient and t statistic of each regressor in the model (8 + 2 nModel
 * doubles a group); returns how many. A refit with singular cross-products is skipped;
 * no label file or one without groups gives 0, resultsOut untouched. A failure shows a
 * box captioned "OLS regression" and returns -2. */
TESSARY_EXPORT int16_t OverFittingTest(const char* cdaPath, const char* modelFile,
                                       const char* byVar, double* resultsOut);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
/* Fits the model of the model file directly from the data (no SSCP) and writes the
 * results into the model file. Returns 0, or -1 (no box) when the fit fails (singular
 * cross-products, negative sums of squares) or anything else does. The one export with
 * C++ linkage: its symbol is _Z9simpleOLSPcS_PhPd. */
TESSARY_EXPORT int16_t simpleOLS(char* cdaPath, char* modelFile, unsigned char* mBuffer,
                                 double* weights);
#endif

#endif /* TESSARY_H_ */

// Machine constants of the special functions (IEEE double).
#pragma once

namespace tessary {

inline constexpr double MACHEP = 1.11022302462515654042e-16;  // 2^-53
inline constexpr double MAXLOG = 709.782712893384;
inline constexpr double MINLOG = -745.1332191019412;
inline constexpr double MAXNUM = 1.7976931348623157e308;
inline constexpr double MAXGAM = 171.6243769563027;
inline constexpr double MAXLGM = 2.556348e305;
inline constexpr double MAXSTIR = 143.01608;
inline constexpr double LOGPI = 1.1447298858494002;
inline constexpr double LS2PI = 0.9189385332046728;  // log sqrt(2 pi)
inline constexpr double s2pi = 2.5066282746310007;   // sqrt(2 pi)
inline constexpr double EUL = 0.5772156649015329;
inline constexpr double expm2 = 0.1353352832366127;  // exp(-2)
inline constexpr double PI = 3.14159265358979323846;

// Rescaling of the continued fractions, keeping their convergents representable.
inline constexpr double big = 4503599627370496.0;  // 2^52
inline constexpr double biginv = 2.220446049250313e-16;

}  // namespace tessary

// The grid chooser: a step of 1, 2, 2.5 or 5 times a power of ten whose interval count
// comes closest to the requested number of groups without exceeding it.
#include <cmath>
#include <limits>

#include "frame/trace.h"
#include "numeric/saturating_cast.h"
#include "numeric/small_statistics.h"

namespace tessary {

namespace {

// 10^e by repeated multiplication, as the grid steps have always been formed.
double powerOfTen(int e) {
  double power = 1.0;
  for (int i = 0; i < (e < 0 ? -e : e); ++i)
    power *= 10.0;
  return e < 0 ? 1.0 / power : power;
}

// The grid line at or below q (one below when q is not whole) and at or above it.
double gridBelow(double q) {
  return q == std::trunc(q) ? q : std::trunc(q) - 1.0;
}
double gridAbove(double q) {
  return q == std::trunc(q) ? q : std::trunc(q) + 1.0;
}

}  // namespace

std::int32_t findBestGrid(double xmin, double xmax, std::int32_t nGroups, double& lo, double& hi,
                          double& step) {
  trace() << "findBestGrid:   xmin=" << xmin << "  xmax=" << xmax << " nXgroups=" << nGroups
          << std::endl;

  const double range = xmax - xmin;
  if (std::fabs(std::trunc(range)) < 2.220446049250313e-16) {
    lo = xmin;
    hi = xmin;
    step = 1.0;
    return 1;
  }

  const double magnitude = std::trunc(std::log10(range));
  if (std::isfinite(magnitude)) {
    const int k = static_cast<int>(magnitude);
    constexpr int kDivisors[] = {10, 5, 4, 2};
    double best = nGroups;
    for (int e = k - 1; e >= k - 4; --e) {
      for (int m : kDivisors) {
        const double count = std::trunc(range * m * powerOfTen(-e));
        if (count <= nGroups && nGroups - count < best) {
          best = nGroups - count;
          step = powerOfTen(e) / m;
        }
      }
    }
  }

  const double below = gridBelow(xmin / step);
  const double above = gridAbove(xmax / step);
  lo = step * below;
  hi = step * above;
  return saturatingInt32(above - below);
}

}  // namespace tessary

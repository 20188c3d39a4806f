#include "regression/gls_sums.h"

#include <cmath>

#include "frame/failure.h"
#include "platform/parallel.h"
#include "regression/cross_products.h"
#include "regression/regression_trace.h"

namespace tessary {
namespace {

// Blocks of the parallel loops: fixed counts, so the sums are the same for any number
// of threads.
constexpr std::size_t kClustersPerBlock = 512;
constexpr std::size_t kHouseholdsPerBlock = 16384;
// The dense inversion's test of a pivot.
constexpr double kSingularPivot = 1e-12;

// One block's sums: X'BX, X'By and y'By as one matrix of the columns [x | y], and the
// middle term over x.
struct Partial {
  WeightedGram design;
  WeightedGram meat;
  explicit Partial(int k) : design(k + 1), meat(k) {}
};

Partial combine(Partial total, Partial part) {
  total.design.absorb(part.design);
  total.meat.absorb(part.meat);
  return total;
}

GlsSums sumsOf(Partial& partial, int k) {
  const Matrix design = partial.design.matrix();
  return {design.subMatrix(0, k, 0, k), design.subMatrix(0, k, k, k + 1), design(k, k),
          partial.meat.matrix()};
}

bool singularCluster(const double* varEps, std::int64_t m, double sigma) {
  double inverseSum = 0.0;  // sum of 1 / varEps over the households eliminated so far
  for (std::int64_t j = 0; j < m; ++j) {
    const double d = varEps[j];
    if (!std::isfinite(d) || d == 0.0) return true;
    const double pivot = d + sigma / (1.0 + sigma * inverseSum);
    if (!std::isfinite(pivot) || !(std::fabs(pivot) >= kSingularPivot)) return true;
    inverseSum += 1.0 / d;
  }
  return false;
}

// A cluster's rows, one after another, and their inverse variances.
struct ClusterRows {
  std::vector<double> design;   // s (x, y): k + 1 values a row
  std::vector<double> derived;  // rows of the middle term: k values a row
  std::vector<double> inverses;
  std::vector<double> scratch;
};

// Adds R' V^-1 R to gram for V = diag(1 / a) + sigma J and R the m rows (gram.columns()
// values each). V^-1 = diag(a) - g (a a') with g = sigma / (1 + sigma A), A = sum a;
// about the mean row r = R'a / A that is sum a_i (R_i - r)(R_i - r)' + A / (1 + sigma A) r r'.
void addInverseForm(WeightedGram& gram, const double* rows, const double* a, std::int64_t m,
                    double sigma, std::vector<double>& scratch) {
  const auto p = static_cast<std::size_t>(gram.columns());
  scratch.assign(2 * p, 0.0);
  double* mean = scratch.data();
  double* centred = mean + p;
  double total = 0.0;
  for (std::int64_t i = 0; i < m; ++i) {
    total += a[i];
    for (std::size_t c = 0; c < p; ++c)
      mean[c] += a[i] * rows[static_cast<std::size_t>(i) * p + c];
  }
  // A zero total (variances of both signs) leaves the plain form: R'diag(a)R - g (R'a)(R'a)'.
  const bool centre = total != 0.0;
  for (std::size_t c = 0; c < p && centre; ++c)
    mean[c] /= total;
  for (std::int64_t i = 0; i < m; ++i) {
    for (std::size_t c = 0; c < p; ++c)
      centred[c] = rows[static_cast<std::size_t>(i) * p + c] - (centre ? mean[c] : 0.0);
    gram.add(centred, a[i]);
  }
  gram.add(mean, centre ? total / (1.0 + sigma * total) : -sigma);
}

// T'BT = Z'V^-1 Z with Z = diag(s) V diag(s) X: row i is s_i (d_i s_i x_i + sigma sum_j s_j x_j).
void addPublishedMiddle(WeightedGram& meat, const GlsColumns& at, std::int64_t o, std::int64_t m,
                        double sigma, ClusterRows& rows) {
  const auto k = static_cast<std::size_t>(at.k), p = k + 1;
  std::vector<double> sum(k, 0.0);
  for (std::int64_t i = 0; i < m; ++i)
    for (std::size_t c = 0; c < k; ++c)
      sum[c] += rows.design[static_cast<std::size_t>(i) * p + c];
  rows.derived.resize(static_cast<std::size_t>(m) * k);
  for (std::int64_t i = 0; i < m; ++i)
    for (std::size_t c = 0; c < k; ++c)
      rows.derived[static_cast<std::size_t>(i) * k + c] =
          at.roots[o + i] *
          (at.varEps[o + i] * rows.design[static_cast<std::size_t>(i) * p + c] + sigma * sum[c]);
  addInverseForm(meat, rows.derived.data(), rows.inverses.data(), m, sigma, rows.scratch);
}

// X'BVBX = Q'(diag(s) V diag(s))Q with Q = V^-1 diag(s) X: rows t_i = s_i q_i of weight
// varEps_i, and their sum of weight sigma.
void addSandwichMiddle(WeightedGram& meat, const GlsColumns& at, std::int64_t o, std::int64_t m,
                       double sigma, ClusterRows& rows) {
  const auto k = static_cast<std::size_t>(at.k), p = k + 1;
  std::vector<double> weighted(k, 0.0), sum(k, 0.0);
  double total = 0.0;
  for (std::int64_t i = 0; i < m; ++i) {
    total += rows.inverses[i];
    for (std::size_t c = 0; c < k; ++c)
      weighted[c] += rows.inverses[i] * rows.design[static_cast<std::size_t>(i) * p + c];
  }
  const double g = sigma / (1.0 + sigma * total);
  std::vector<double>& t = rows.scratch;
  t.resize(k);
  for (std::int64_t i = 0; i < m; ++i) {
    const double factor = at.roots[o + i] * rows.inverses[i];
    for (std::size_t c = 0; c < k; ++c) {
      t[c] = factor * (rows.design[static_cast<std::size_t>(i) * p + c] - g * weighted[c]);
      sum[c] += t[c];
    }
    meat.add(t.data(), at.varEps[o + i]);
  }
  meat.add(sum.data(), sigma);
}

void addCluster(Partial& part, const GlsColumns& at, std::int64_t o, std::int64_t m, double sigma,
                GlsMiddleTerm middle, ClusterRows& rows) {
  const auto k = static_cast<std::size_t>(at.k), p = k + 1;
  rows.design.resize(static_cast<std::size_t>(m) * p);
  rows.inverses.resize(static_cast<std::size_t>(m));
  for (std::int64_t i = 0; i < m; ++i) {
    const std::size_t h = static_cast<std::size_t>(o + i);
    double* row = rows.design.data() + static_cast<std::size_t>(i) * p;
    for (std::size_t c = 0; c < k; ++c)
      row[c] = at.roots[h] * at.x[c * at.ld + h];
    row[k] = at.roots[h] * at.y[h];
    rows.inverses[i] = 1.0 / at.varEps[h];
  }
  addInverseForm(part.design, rows.design.data(), rows.inverses.data(), m, sigma, rows.scratch);
  if (middle == GlsMiddleTerm::kPublished)
    addPublishedMiddle(part.meat, at, o, m, sigma, rows);
  else
    addSandwichMiddle(part.meat, at, o, m, sigma, rows);
}

}  // namespace

std::vector<std::int64_t> checkClusters(const GlsColumns& columns,
                                        std::span<const std::int32_t> sizes, double sigEta2) {
  std::vector<std::int64_t> offsets{0};
  for (std::size_t c = 0; c < sizes.size(); ++c) {
    const std::int64_t o = offsets.back(), m = sizes[c];
    trace() << c << ' ' << m << '\n';
    if (m > kMaxClusterHouseholds) raiseFailure("Cluster too large");
    if (m < 0 || o + m > columns.n)
      raiseFailure("Cluster size greater than the number of observation");
    if (singularCluster(columns.varEps + o, m, sigEta2)) raiseFailure("Matrix uninversable.");
    offsets.push_back(o + m);
  }
  return offsets;
}

GlsSums clusterSums(const GlsColumns& columns, std::span<const std::int64_t> offsets,
                    double sigEta2, GlsMiddleTerm middle) {
  const std::size_t clusters = offsets.empty() ? 0 : offsets.size() - 1;
  Partial sums = reduceBlocks(
      clusters, kClustersPerBlock, Partial(columns.k),
      [&](std::size_t begin, std::size_t end) {
        Partial part(columns.k);
        ClusterRows rows;
        for (std::size_t c = begin; c < end; ++c)
          addCluster(part, columns, offsets[c], offsets[c + 1] - offsets[c], sigEta2, middle, rows);
        return part;
      },
      combine);
  return sumsOf(sums, columns.k);
}

GlsSums householdSums(const GlsColumns& columns, GlsMiddleTerm middle) {
  const auto k = static_cast<std::size_t>(columns.k);
  Partial sums = reduceBlocks(
      static_cast<std::size_t>(std::max(columns.n, 0)), kHouseholdsPerBlock, Partial(columns.k),
      [&](std::size_t begin, std::size_t end) {
        Partial part(columns.k);
        std::vector<double> row(k + 1);
        for (std::size_t i = begin; i < end; ++i) {
          for (std::size_t c = 0; c < k; ++c)
            row[c] = columns.x[c * columns.ld + i];
          row[k] = columns.y[i];
          const double w = columns.weights[i], d = columns.varEps[i];
          part.design.add(row.data(), w / d);
          part.meat.add(row.data(), middle == GlsMiddleTerm::kPublished ? w * w * d : w * w / d);
        }
        return part;
      },
      combine);
  return sumsOf(sums, columns.k);
}

}  // namespace tessary

#include "support/census_simulation.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "frame/failure.h"
#include "numeric/blas.h"
#include "platform/parallel.h"
#include "platform/parallel_scratch.h"
#include "platform/text.h"
#include "regression/design_matrix.h"
#include "regression/regression_data.h"
#include "simulation/counter_draws.h"
#include "simulation/replication_kernel.h"

namespace tessary::cli {
namespace {

// Households per block: the design reader's block, fewer with many replications, so that
// a block's buffers (two of households x replications) stay within about 16 megabytes.
// The size depends on the replications alone: every run of the same options cuts the
// census into the same blocks.
std::size_t blockHouseholds(int replications) {
  constexpr std::size_t kCells = std::size_t{1} << 20;
  return std::clamp<std::size_t>(kCells / static_cast<std::size_t>(replications), 512,
                                 static_cast<std::size_t>(kDesignBlockRecords));
}

// The sums of one block for the finest areas it touches.
struct BlockTotals {
  std::vector<std::uint32_t> areas;
  std::vector<std::uint64_t> households;
  std::vector<double> weight;
  std::vector<double> sums;  // [local area][replication][kMeasureSums]
  std::uint64_t simulated = 0;
  std::uint64_t leftOut = 0;
};

// Local numbers for values met in row order: consecutive rows mostly repeat a value.
class LocalNumbers {
 public:
  std::uint32_t of(std::uint32_t value) {
    if (!values_.empty() && values_[last_] == value) return last_;
    const auto found = std::find(values_.begin(), values_.end(), value);
    last_ = static_cast<std::uint32_t>(found - values_.begin());
    if (found == values_.end()) values_.push_back(value);
    return last_;
  }
  const std::vector<std::uint32_t>& values() const { return values_; }

 private:
  std::vector<std::uint32_t> values_;
  std::uint32_t last_ = 0;
};

// Replaces each uniform u by the element of `pool` at u times its size.
void pickFrom(const std::vector<double>& pool, double* draws, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    draws[i] = pool[std::min(pool.size() - 1, static_cast<std::size_t>(draws[i] * pool.size()))];
}

std::vector<std::int32_t> allPositions(const std::vector<Regressor>& regressors) {
  std::vector<std::int32_t> order(regressors.size());
  std::iota(order.begin(), order.end(), 0);
  return order;
}

class CensusSimulation {
 public:
  explicit CensusSimulation(const SimulationSetup& setup)
      : s_(setup),
        draws_(setup.seed),
        R_(setup.replications->replications),
        welfareRegressors_(setup.model->welfare.regressors),
        alphaRegressors_(setup.model->alpha ? setup.model->alpha->regressors
                                            : std::vector<Regressor>{}),
        welfareOrder_(allPositions(welfareRegressors_)),
        alphaOrder_(allPositions(alphaRegressors_)),
        welfarePlan_(welfareRegressors_, welfareOrder_, ""),
        alphaPlan_(alphaRegressors_, alphaOrder_, "") {
    if (welfarePlan_.needsYhat())
      raiseFailure(
          "the welfare model uses the predicted value (_yhat_), which the census can't supply");
  }

  AreaTotals run();

 private:
  struct Rows;
  BlockTotals simulateBlock(std::int64_t from, std::int64_t to);
  void readDesign(std::int64_t from, std::int64_t to, Rows& rows);
  void selectRows(std::int64_t from, Rows& rows, BlockTotals& totals);
  void drawClusterEffects(Rows& rows, LocalNumbers& clusters);
  void drawHouseholdErrors(std::int64_t from, int r, Rows& rows);
  void addBlock(BlockTotals&& block);

  const SimulationSetup& s_;
  CounterDraws draws_;
  int R_;
  std::vector<Regressor> welfareRegressors_, alphaRegressors_;
  std::vector<std::int32_t> welfareOrder_, alphaOrder_;
  DesignPlan welfarePlan_, alphaPlan_;
  ScratchPool<double> scratch_;
  AreaTotals totals_;
};

// A block's buffers, carved from one scratch lease.
struct CensusSimulation::Rows {
  std::size_t n = 0;
  double *welfareX, *alphaX, *xb, *z, *prediction, *alphaPrediction, *weight, *eta, *eps,
      *lnWelfare;
  std::vector<std::uint32_t> cluster;  // local cluster of each row
  std::vector<AreaRun> runs;
  std::vector<double> clusterEffects;  // [local cluster][replication]
};

void CensusSimulation::readDesign(std::int64_t from, std::int64_t to, Rows& rows) {
  CensusBlockSource source(*s_.census);
  RegressionData data;
  data.attach(source);
  const int n = static_cast<int>(rows.n);
  const int kb = static_cast<int>(welfareRegressors_.size());
  DesignReader(data, welfarePlan_, nullptr).fill(from, to, rows.welfareX, rows.n);
  blas::multiply(n, kb, rows.welfareX, n, s_.parameters->beta.data(), rows.prediction);
  blas::multiply(n, R_, kb, rows.welfareX, n, s_.replications->betas.data(), kb, rows.xb, n);
  if (alphaRegressors_.empty()) {
    std::fill_n(rows.alphaPrediction, rows.n, 0.0);
    return;
  }
  const int ka = static_cast<int>(alphaRegressors_.size());
  source.setPrediction(rows.prediction, from);
  DesignReader(data, alphaPlan_, nullptr).fill(from, to, rows.alphaX, rows.n);
  blas::multiply(n, ka, rows.alphaX, n, s_.parameters->alpha.data(), rows.alphaPrediction);
  blas::multiply(n, R_, ka, rows.alphaX, n, s_.replications->alphas.data(), ka, rows.z, n);
}

// Weights, the rows that take part and their runs of areas; a row outside every run
// weighs 0.
void CensusSimulation::selectRows(std::int64_t from, Rows& rows, BlockTotals& totals) {
  if (s_.persons.empty())
    std::fill_n(rows.weight, rows.n, 1.0);
  else
    s_.census->read(s_.persons, from, from + static_cast<std::int64_t>(rows.n) - 1, rows.weight);
  const ColumnBuffer<std::uint32_t>& clusterOf = s_.census->clusterOf();
  LocalNumbers areas, clusters;
  rows.cluster.assign(rows.n, 0);
  for (std::size_t i = 0; i < rows.n; ++i) {
    const std::uint32_t record = clusterOf[static_cast<std::size_t>(from - 1) + i];
    const std::uint32_t area = s_.areas->finestAreaOfCluster()[record];
    if (area == kNoArea) continue;
    const double w = rows.weight[i];
    if (w < 0)
      raiseFailure(formatText("%s is negative (%.17g) for household %lld", s_.persons.c_str(), w,
                              static_cast<long long>(from + static_cast<std::int64_t>(i))));
    if (!std::isfinite(rows.prediction[i]) || !std::isfinite(rows.alphaPrediction[i]) ||
        !std::isfinite(w)) {
      ++totals.leftOut;
      continue;
    }
    const std::uint32_t local = areas.of(area);
    if (local == totals.areas.size()) {
      totals.areas.push_back(area);
      totals.households.push_back(0);
      totals.weight.push_back(0.0);
    }
    ++totals.households[local];
    totals.weight[local] += w;
    ++totals.simulated;
    rows.cluster[i] = clusters.of(record);
    const auto row = static_cast<std::uint32_t>(i);
    if (!rows.runs.empty() && rows.runs.back().end == row && rows.runs.back().area == local)
      ++rows.runs.back().end;
    else
      rows.runs.push_back(AreaRun{row, row + 1, local});
  }
  totals.sums.assign(totals.areas.size() * static_cast<std::size_t>(R_) * kMeasureSums, 0.0);
  drawClusterEffects(rows, clusters);
}

// Cluster effects of the block's clusters in every replication, drawn for runs of
// consecutive cluster numbers at a time.
void CensusSimulation::drawClusterEffects(Rows& rows, LocalNumbers& clusters) {
  const std::vector<std::uint32_t>& records = clusters.values();
  const std::size_t m = records.size();
  rows.clusterEffects.assign(m * static_cast<std::size_t>(R_), 0.0);
  for (int r = 0; r < R_; ++r) {
    double* effects = rows.clusterEffects.data() + static_cast<std::size_t>(r) * m;
    for (std::size_t c = 0; c < m;) {
      std::size_t end = c + 1;
      while (end < m && records[end] == records[end - 1] + 1)
        ++end;
      const auto u = static_cast<std::uint32_t>(r);
      if (s_.empirical)
        draws_.uniforms(DrawStream::kClusterEffects, u, records[c], end - c, effects + c);
      else
        draws_.normals(DrawStream::kClusterEffects, u, records[c], end - c, effects + c);
      c = end;
    }
    const double sd = std::sqrt(s_.replications->sigEta2[static_cast<std::size_t>(r)]);
    if (s_.empirical)
      pickFrom(s_.model->empirical->clusterEffects, effects, m);
    else
      for (std::size_t c = 0; c < m; ++c)
        effects[c] *= sd;
  }
}

void CensusSimulation::drawHouseholdErrors(std::int64_t from, int r, Rows& rows) {
  const auto first = static_cast<std::uint64_t>(from - 1);
  const auto u = static_cast<std::uint32_t>(r);
  if (!s_.empirical) {
    draws_.normals(DrawStream::kHouseholdErrors, u, first, rows.n, rows.eps);
    return;
  }
  draws_.uniforms(DrawStream::kHouseholdErrors, u, first, rows.n, rows.eps);
  pickFrom(s_.model->empirical->standardisedResiduals, rows.eps, rows.n);
}

BlockTotals CensusSimulation::simulateBlock(std::int64_t from, std::int64_t to) {
  BlockTotals totals;
  const ColumnBuffer<std::uint32_t>& clusterOf = s_.census->clusterOf();
  const bool inPartition = std::any_of(
      clusterOf.data() + (from - 1), clusterOf.data() + to,
      [&](std::uint32_t record) { return s_.areas->finestAreaOfCluster()[record] != kNoArea; });
  if (!inPartition) return totals;

  Rows rows;
  rows.n = static_cast<std::size_t>(to - from + 1);
  const std::size_t n = rows.n, kb = welfareRegressors_.size(), ka = alphaRegressors_.size();
  const std::size_t R = static_cast<std::size_t>(R_);
  auto lease = scratch_.lease(n * (kb + ka + 2 * R + 6));
  double* at = lease.data();
  const auto take = [&](std::size_t count) { return std::exchange(at, at + count); };
  rows.welfareX = take(n * kb);
  rows.alphaX = take(n * ka);
  rows.xb = take(n * R);
  rows.z = take(n * R);
  rows.prediction = take(n);
  rows.alphaPrediction = take(n);
  rows.weight = take(n);
  rows.eta = take(n);
  rows.eps = take(n);
  rows.lnWelfare = take(n);

  readDesign(from, to, rows);
  selectRows(from, rows, totals);
  if (rows.runs.empty()) return totals;
  const std::size_t m = rows.clusterEffects.size() / R;
  const FittedModel& model = *s_.model;
  for (int r = 0; r < R_; ++r) {
    drawHouseholdErrors(from, r, rows);
    const double* effects = rows.clusterEffects.data() + static_cast<std::size_t>(r) * m;
    for (std::size_t i = 0; i < n; ++i)
      rows.eta[i] = effects[rows.cluster[i]];
    ReplicationRows replication;
    replication.rows = n;
    replication.xb = rows.xb + static_cast<std::size_t>(r) * n;
    replication.z = ka == 0 ? nullptr : rows.z + static_cast<std::size_t>(r) * n;
    replication.eta = rows.eta;
    replication.eps = rows.eps;
    replication.A = model.alpha ? model.alpha->A : 0.0;
    replication.alphaMSE = model.alpha ? model.alpha->mse : 0.0;
    replication.variance = std::max(0.0, model.welfare.mse - model.sigEta2);
    logWelfare(replication, rows.lnWelfare);
    addAreaSums(rows.lnWelfare, n, rows.weight, rows.runs, s_.line,
                totals.sums.data() + static_cast<std::size_t>(r) * kMeasureSums, R * kMeasureSums);
  }
  return totals;
}

// Called for blocks in block order, one at a time.
void CensusSimulation::addBlock(BlockTotals&& block) {
  const std::size_t stride = static_cast<std::size_t>(R_) * kMeasureSums;
  for (std::size_t local = 0; local < block.areas.size(); ++local) {
    const std::size_t area = block.areas[local];
    totals_.households[area] += block.households[local];
    totals_.weight[area] += block.weight[local];
    for (std::size_t j = 0; j < stride; ++j)
      totals_.sums[area * stride + j] += block.sums[local * stride + j];
  }
  totals_.simulated += block.simulated;
  totals_.leftOut += block.leftOut;
}

AreaTotals CensusSimulation::run() {
  const std::size_t areas = s_.areas->finestAreaCount();
  totals_.replications = R_;
  totals_.households.assign(areas, 0);
  totals_.weight.assign(areas, 0.0);
  totals_.sums.assign(areas * static_cast<std::size_t>(R_) * kMeasureSums, 0.0);
  reduceBlocks(
      static_cast<std::size_t>(s_.census->households()), blockHouseholds(R_), BlockTotals{},
      [&](std::size_t begin, std::size_t end) {
        return simulateBlock(static_cast<std::int64_t>(begin) + 1, static_cast<std::int64_t>(end));
      },
      [&](BlockTotals&& none, BlockTotals&& block) {
        addBlock(std::move(block));
        return std::move(none);
      });
  return std::move(totals_);
}

}  // namespace

std::vector<std::string> simulationVariables(const FittedModel& model, const std::string& persons) {
  std::vector<std::string> names;
  auto addRegressors = [&](const std::vector<Regressor>& regressors) {
    for (std::size_t i = 1; i < regressors.size(); ++i) {
      const ColumnRecipe recipe = recipeOf(regressors[i]);
      if (!recipe.variable.empty()) names.push_back(recipe.variable);
    }
  };
  addRegressors(model.welfare.regressors);
  if (model.alpha) addRegressors(model.alpha->regressors);
  if (!persons.empty()) names.push_back(persons);
  return names;
}

AreaTotals simulateCensus(const SimulationSetup& setup) {
  return CensusSimulation(setup).run();
}

}  // namespace tessary::cli

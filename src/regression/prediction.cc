// Predicted values of a fitted model: the intercept plus coefficient times column for
// every regressor in the model, the columns formed as for the design matrix.
#include "data/record_bitmap.h"
#include "frame/missing.h"
#include "numeric/blas.h"
#include "regression/design_matrix.h"
#include "regression/regression.h"

namespace tessary {

// `work` is not needed: the columns are formed a block at a time.
int Regression::getPrediction(double* pred, double* /*work*/, double* yhatBuffer, bool compact,
                              bool skipYhat) {
  std::vector<std::int32_t> order;
  for (int i = 0; i < numOfRgrs; ++i)
    if (i == 0 || regressors[static_cast<std::size_t>(i)].inModel()) order.push_back(i);
  std::vector<double> coefficients;
  for (std::int32_t i : order)
    coefficients.push_back(regressors[static_cast<std::size_t>(i)].coef);
  const DesignPlan plan(regressors, order, "");
  const std::uint8_t* rows = compact ? mBuffer : nullptr;
  if (plan.needsYhat() && !skipYhat) data().readIncluded(kYhatName, rows, yhatBuffer);

  DesignReader reader(data(), plan, rows, plan.needsYhat() ? yhatBuffer : nullptr);
  const int p = static_cast<int>(plan.columnCount());
  const int ld = static_cast<int>(kDesignBlockRecords);
  ColumnBuffer<double> block(static_cast<std::size_t>(ld) * std::max(p, 1));
  std::size_t done = 0;
  forEachRecordBlock(nRecs, [&](std::int64_t from, std::int64_t to) {
    const std::size_t count = reader.fill(from, to, block.data(), ld);
    blas::multiply(static_cast<int>(count), p, block.data(), ld, coefficients.data(), pred + done);
    done += count;
  });
  if (!compact && mBuffer != nullptr)
    for (std::int32_t record = 1; record <= nRecs; ++record)
      if (isHole(mBuffer, static_cast<std::uint64_t>(record))) pred[record - 1] = MISSING;
  return 0;
}

}  // namespace tessary

#include "simulation/replication_parameters.h"

#include <algorithm>
#include <cmath>

#include "numeric/blas.h"

namespace tessary {
namespace {

// Column r of out (k x R) := mean + root u_r, u_r the normals of items
// first..first+k-1 of replication r.
std::vector<double> drawAround(const std::vector<double>& mean, const std::vector<double>& root,
                               const CounterDraws& draws, std::uint64_t first, int replications) {
  const int k = static_cast<int>(mean.size());
  const std::size_t cells = mean.size() * static_cast<std::size_t>(replications);
  std::vector<double> normals(cells), out(cells);
  for (int r = 0; r < replications; ++r)
    draws.normals(DrawStream::kParameters, static_cast<std::uint32_t>(r), first, mean.size(),
                  normals.data() + static_cast<std::size_t>(r) * mean.size());
  blas::multiply(k, replications, k, root.data(), k, normals.data(), k, out.data(), k);
  for (std::size_t c = 0; c < cells; ++c)
    out[c] += mean[c % mean.size()];
  return out;
}

}  // namespace

ReplicationParameters drawReplicationParameters(const SimulationModel& model,
                                                const CounterDraws& draws, int replications) {
  ReplicationParameters out;
  out.replications = replications;
  const std::uint64_t k = model.beta.size(), ka = model.alpha.size();
  out.betas = drawAround(model.beta, model.betaRoot, draws, 0, replications);
  out.alphas = drawAround(model.alpha, model.alphaRoot, draws, k, replications);
  const double spread = std::sqrt(std::max(model.sigEta2Var, 0.0));
  for (int r = 0; r < replications; ++r) {
    double u = 0.0;
    draws.normals(DrawStream::kParameters, static_cast<std::uint32_t>(r), k + ka, 1, &u);
    out.sigEta2.push_back(std::max(0.0, model.sigEta2 + spread * u));
  }
  return out;
}

}  // namespace tessary

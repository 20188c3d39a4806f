// The fitted welfare model as the simulation carries it to the census, and the
// parameters of each replication drawn from their sampling distributions:
//   beta_r   = beta  + S_beta  u,   u  ~ N(0, I_k)
//   alpha_r  = alpha + S_alpha u',  u' ~ N(0, I_ka)
//   sigEta2_r = max(0, sigEta2 + sqrt(sigEta2Var) u''),
// S being a square root of the covariance (S S' = Cov), all u from the parameter stream
// of the replication: items 0..k-1 for beta, k..k+ka-1 for alpha, k+ka for sigEta2.
#pragma once

#include <cstdint>
#include <vector>

#include "simulation/counter_draws.h"

namespace tessary {

struct SimulationModel {
  std::vector<double> beta;       // k coefficients of the welfare model, intercept first
  std::vector<double> betaRoot;   // k x k, column-major
  std::vector<double> alpha;      // ka coefficients of the alpha model; empty: none
  std::vector<double> alphaRoot;  // ka x ka, column-major
  double A = 0.0;                 // the bound of the alpha model's logistic transform
  double alphaMSE = 0.0;
  double mse = 0.0;  // of the welfare model
  double sigEta2 = 0.0;
  double sigEta2Var = 0.0;

  bool heteroskedastic() const { return !alpha.empty(); }
};

struct ReplicationParameters {
  int replications = 0;
  std::vector<double> betas;    // k x R, column r is beta_r
  std::vector<double> alphas;   // ka x R
  std::vector<double> sigEta2;  // R
};

ReplicationParameters drawReplicationParameters(const SimulationModel& model,
                                                const CounterDraws& draws, int replications);

}  // namespace tessary

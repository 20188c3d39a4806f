// The error-component exports: cluster counts and the location effect, the alpha model's
// dependent variable, covariance and household variances, the GLS adjustment and the
// over-fitting test. Each builds its objects, runs one operation through the boundary
// guard and flushes the trace.
//
// Readings taken where the behaviour is open: locationalEffect returns 0 after a
// failure; getAlphaCov and GLSadjustment raise a message when n or k differ from the
// model's included observations or regressors (the arrays would not match the design);
// OverFittingTest shows "Unexpected error occured" and returns -2 after a failure that
// is not a message; NULL arrays raise a message naming the export.
#include <algorithm>
#include <span>

#include "frame/failure.h"
#include "platform/column_memory.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "regression/alpha_model.h"
#include "regression/cluster_effects.h"
#include "regression/export_call.h"
#include "regression/gls.h"
#include "regression/group_refits.h"
#include "regression/member_label.h"
#include "regression/regression.h"
#include "tessary.h"

namespace tessary {
namespace {

const BoundaryPolicy kCountPolicy = {.caption = "getCountOfCluster",
                                     .textResult = -1,
                                     .otherText = "Unexpected error occured\nCode (%i)",
                                     .otherResult = -1};
const BoundaryPolicy kLocationPolicy = {.caption = "locationalEffect", .textResult = 0};
const BoundaryPolicy kAlphaCovPolicy = {.caption = "getAlphaCov",
                                        .textResult = -1,
                                        .otherText = "Unexpected error occured",
                                        .otherResult = -3};
const BoundaryPolicy kVarEpsilonPolicy = {
    .caption = "getVarEpsilon", .otherText = "Unexpected error occurs", .otherResult = -1};
const BoundaryPolicy kGlsPolicy = {.caption = "Tessary.dll::GLSadjustment",
                                   .textResult = -1,
                                   .otherText = "Unexpected error occured",
                                   .otherResult = -2};
const BoundaryPolicy kOverFittingPolicy = {
    .caption = "OLS regression", .otherText = "Unexpected error occured", .otherResult = -2};

void require(bool present, const char* exportName, const char* what) {
  if (!present) raiseFailure(std::string(exportName) + ": " + what + " missing.");
}

std::size_t count(std::int32_t n) {
  return static_cast<std::size_t>(std::max(n, 0));
}

// The model's design for the included households, n rows of k regressors (and the
// dependent variable after them), after checking that n and k are the model's.
ColumnBuffer<double> modelDesign(Regression& model, std::int32_t n, int k) {
  // selectModel counts the design's columns: the intercept and the regressors in the model.
  const int columns = model.selectModel();
  if (k != columns) raiseFailure(formatText("The model has %d regressors, not %d.", columns, k));
  if (n != model.nObs)
    raiseFailure(formatText("The model has %d included observations, not %d.", model.nObs, n));
  ColumnBuffer<double> x(std::max<std::size_t>(count(n) * (count(k) + 1), 1));
  model.getX(x.data(), 0);
  return x;
}

}  // namespace
}  // namespace tessary

using tessary::count;
using tessary::require;
using tessary::runExport;

extern "C" {

TESSARY_EXPORT int32_t getCountOfCluster(const char* cdaPath, unsigned char* mBuffer,
                                         double* clusterIdsOut, int32_t* countsOut) {
  return runExport<int32_t>(tessary::kCountPolicy, [&] {
    require(mBuffer != nullptr, "getCountOfCluster", "mBuffer");
    require(clusterIdsOut != nullptr && countsOut != nullptr, "getCountOfCluster",
            "An output array is");
    tessary::RegressionData data;
    try {
      data.open(tessary::text(cdaPath));
    } catch (const tessary::Failure&) {
      throw "Loading CDA error";  // reported as an unexpected failure
    }
    const tessary::ClusterRuns runs = tessary::countClusters(data, mBuffer);
    std::copy(runs.keys.begin(), runs.keys.end(), clusterIdsOut);
    std::copy(runs.counts.begin(), runs.counts.end(), countsOut);
    return static_cast<int32_t>(runs.counts.size());
  });
}

TESSARY_EXPORT double locationalEffect(const double* u, const double* w, int32_t n,
                                       int32_t nClusters, const void* clusters, double* epsOut,
                                       double* etaOut, double* clusterWeightOut, double* statsOut,
                                       int32_t* singletonsOut) {
  return runExport<double>(tessary::kLocationPolicy, [&] {
    require(n < 1 || (u != nullptr && w != nullptr && epsOut != nullptr), "locationalEffect",
            "A household array is");
    require(
        nClusters < 1 || (clusters != nullptr && etaOut != nullptr && clusterWeightOut != nullptr),
        "locationalEffect", "A cluster array is");
    require(statsOut != nullptr && singletonsOut != nullptr, "locationalEffect", "An output is");
    const auto summaries = tessary::readClusterRecords(clusters, nClusters);
    for (std::size_t c = 0; c < summaries.size(); ++c) {
      etaOut[c] = summaries[c].eta;
      clusterWeightOut[c] = summaries[c].weight;
    }
    const tessary::LocationEffect effect = tessary::locationEffect(
        std::span(u, count(n)), std::span(w, count(n)), summaries, std::span(epsOut, count(n)));
    std::fill(statsOut, statsOut + 4, 0.0);
    statsOut[4] = effect.variance;
    statsOut[5] = effect.sigEta2;
    *singletonsOut = effect.singletons;
    return effect.variance;
  });
}

TESSARY_EXPORT void getAlphaLHS(double* lhsOut, const double* e, int32_t n, double* Aout) {
  runExport<int>(tessary::kLocationPolicy, [&] {
    require(Aout != nullptr && (n < 1 || (lhsOut != nullptr && e != nullptr)), "getAlphaLHS",
            "An array is");
    *Aout = tessary::alphaDependent(std::span(e, count(n)), std::span(lhsOut, count(n)));
    return 0;
  });
}

TESSARY_EXPORT int16_t getAlphaCov(const char* cdaPath, const char* modelFile,
                                   unsigned char* mBuffer, double* weights, int32_t n, int32_t k,
                                   const double* r, double* covRootOut) {
  return runExport<int16_t>(tessary::kAlphaCovPolicy, [&]() -> int16_t {
    tessary::Regression model;
    model.load(tessary::text(cdaPath), tessary::text(modelFile));
    model.init(mBuffer, weights, true);
    const auto x = tessary::modelDesign(model, n, k);
    require(covRootOut != nullptr && (n < 1 || r != nullptr), "getAlphaCov", "An array is");
    const auto white =
        tessary::whiteCovariance(x.data(), count(n), k, std::span(r, count(n)), weights);
    std::copy_n(white.root.data(), count(k) * count(k), covRootOut);
    return 0;
  });
}

TESSARY_EXPORT int16_t getVarEpsilon(int32_t n, int32_t mode, const double* z, double betaMSE,
                                     double sigEta2, double alphaMSE, double A, double* varEpsOut) {
  return runExport<int16_t>(tessary::kVarEpsilonPolicy, [&]() -> int16_t {
    require(n < 1 || (z != nullptr && varEpsOut != nullptr), "getVarEpsilon", "An array is");
    tessary::epsilonVariances(mode, std::span(z, count(n)), betaMSE, sigEta2, alphaMSE, A,
                              std::span(varEpsOut, count(n)));
    return 0;
  });
}

TESSARY_EXPORT int16_t GLSadjustment(const char* cdaPath, const char* modelFile,
                                     unsigned char* mBuffer, double* weights, int32_t n, int16_t k,
                                     int16_t traceMode, int32_t nClusters, double sigEta2,
                                     const double* y, const double* varEps,
                                     const int32_t* clusterSizes, unsigned char noLocation,
                                     double* betaOut, double* seOut, double* covRootOut) {
  return runExport<int16_t>(tessary::kGlsPolicy, [&]() -> int16_t {
    tessary::trace() << "====================== GLSadjustment ====================" << '\n'
                     << n << ' ' << k << ' ' << nClusters
                     << "  LocationalError=" << static_cast<int>(noLocation) << '\n';
    tessary::Regression model;
    model.load(tessary::text(cdaPath), tessary::text(modelFile));
    model.init(mBuffer, weights, true);
    const auto x = tessary::modelDesign(model, n, k);
    tessary::trace() << "GLS: SigEta2=" << sigEta2 << '\n';
    require(n < 1 || (y != nullptr && varEps != nullptr), "GLSadjustment", "y or varEps is");
    require(nClusters < 1 || clusterSizes != nullptr || noLocation != 0, "GLSadjustment",
            "clusterSizes is");
    require(betaOut != nullptr && seOut != nullptr && covRootOut != nullptr, "GLSadjustment",
            "An output array is");
    const tessary::GlsProblem problem{
        .x = x.data(),
        .ld = count(n),
        .n = n,
        .k = k,
        .weights = weights != nullptr ? std::span(weights, count(n)) : std::span<double>(),
        .y = std::span(y, count(n)),
        .varEps = std::span(varEps, count(n)),
        .clusterSizes = noLocation != 0 ? std::span<const int32_t>()
                                        : std::span(clusterSizes, count(nClusters)),
        .sigEta2 = sigEta2,
        .noLocation = noLocation != 0,
        .traceMode = traceMode};
    const tessary::GlsEstimate estimate =
        tessary::glsAdjustment(problem, tessary::GlsMiddleTerm::kPublished);
    std::copy_n(estimate.beta.data(), count(k), betaOut);
    std::copy_n(estimate.stdErr.data(), count(k), seOut);
    std::copy_n(estimate.covarianceRoot.data(), count(k) * count(k), covRootOut);
    return 0;
  });
}

TESSARY_EXPORT int16_t OverFittingTest(const char* cdaPath, const char* modelFile,
                                       const char* byVar, double* resultsOut) {
  return runExport<int16_t>(tessary::kOverFittingPolicy, [&]() -> int16_t {
    require(byVar != nullptr && resultsOut != nullptr, "OverFittingTest",
            "The grouping variable or the results array is");
    tessary::RegressionData data;
    tessary::withLabel("Regression::load():\n", [&] { data.open(tessary::text(cdaPath)); });
    tessary::Regression model;
    model.load(data, tessary::text(modelFile));
    std::string labels;
    tessary::readWholeFile(tessary::temporaryDirectoryWithin260() + "EvalResult.lbl", labels);
    const std::vector<int32_t> codes = tessary::labelFileGroups(labels);
    return static_cast<int16_t>(tessary::refitLeavingOut(model, data, byVar, codes, resultsOut));
  });
}

}  // extern "C"

// A short run over built-in sample data, printed readably.
#include <cstdio>
#include <vector>

#include "commands.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

void printRowMajor(const char* title, const std::vector<double>& a, int rows, int columns) {
  std::printf("%s\n", title);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c)
      std::printf("%12.6f", a[r * columns + c]);
    std::printf("\n");
  }
}

void printColumnMajor(const char* title, const std::vector<double>& a, int rows, int columns,
                      int leading) {
  std::printf("%s\n", title);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c)
      std::printf("%12.6f", a[c * leading + r] + 0.0);  // no "-0.000000"
    std::printf("\n");
  }
}

void runMatrixDemo() {
  // A small weighted cross-product matrix of three regressors.
  const std::vector<double> sscp = {4.0, 2.0, 0.6, 2.0, 5.0, 1.2, 0.6, 1.2, 3.0};
  const int n = 3;
  printRowMajor("Cross-product matrix X'WX:", sscp, n, n);

  std::vector<double> a = sscp, b = {1.0, 2.0, 3.0}, x(n);
  if (linearEq(a.data(), n, b.data(), x.data()) == 0)
    std::printf("\nSolution of X'WX beta = (1, 2, 3)': %.6f %.6f %.6f\n", x[0], x[1], x[2]);

  a = sscp;
  std::vector<double> inverse(n * n);
  if (minverse(a.data(), n, inverse.data()) == 1)
    printColumnMajor("\nInverse (X'WX)^-1:", inverse, n, n, n);

  std::vector<double> product(n * n);
  std::vector<double> columnMajorSscp = sscp;  // symmetric: both storage orders agree
  mmultiply(columnMajorSscp.data(), n, n, n, inverse.data(), product.data());
  printColumnMajor("\nProduct X'WX (X'WX)^-1 (the identity):", product, n, n, n);

  // Singular values of a 4 x 3 design matrix.
  const int rows = 4;
  std::vector<double> design = {1, 1, 1, 1, 2.0, 3.5, 1.0, 4.2, 0, 1, 1, 0};
  printColumnMajor("\nDesign matrix X (4 x 3):", design, rows, n, rows);
  std::vector<double> w(n), v(rows * n);
  svdcmp(design.data(), rows, n, w.data(), v.data());
  std::printf("\nSingular values of X: %.6f %.6f %.6f\n", w[0], w[1], w[2]);
}

}  // namespace

void addDemoCommand(CLI::App& app) {
  auto* command = app.add_subcommand("demo", "Run the main job on built-in sample data");
  command->callback(runMatrixDemo);
}

}  // namespace tessary::cli

#include "support/known_truth.h"

#include <cmath>
#include <map>

#include "frame/failure.h"
#include "support/census_columns.h"

namespace tessary::cli {

TruthCoverage truthCoverage(const std::string& censusDaa, const std::string& areaId, int digits,
                            double line, const std::vector<AreaEstimate>& estimates) {
  const CensusColumns census(censusDaa, {"LNWELFARE", "SIZE"}, areaId);
  const auto n = static_cast<std::size_t>(census.households());
  std::vector<double> welfare(n), size(n);
  census.read("LNWELFARE", 1, census.households(), welfare.data());
  census.read("SIZE", 1, census.households(), size.data());
  const double divisor = std::pow(10.0, digits);
  std::map<std::string, std::pair<double, double>> truth;  // persons, poor persons
  for (std::size_t h = 0; h < n; ++h) {
    const double id = census.clusterIds()[census.clusterOf()[h]];
    auto& area = truth[std::to_string(static_cast<long long>(std::trunc(id / divisor)))];
    area.first += size[h];
    area.second += welfare[h] < std::log(line) ? size[h] : 0.0;
  }
  TruthCoverage out;
  double persons = 0.0;
  for (const AreaEstimate& row : estimates) {
    const auto found = truth.find(row.area);
    if (found == truth.end()) raiseFailure("no census household in area " + row.area);
    const double error = row.fgt0.value - found->second.second / found->second.first;
    out.covered += std::fabs(error) <= 1.96 * row.fgt0.standardError ? 1.0 : 0.0;
    out.meanError += row.persons * error;
    out.meanSe += row.fgt0.standardError;
    persons += row.persons;
  }
  const double areas = static_cast<double>(out.areas = estimates.size());
  out.covered /= areas;
  out.meanError /= persons;
  out.meanSe /= areas;
  return out;
}

}  // namespace tessary::cli

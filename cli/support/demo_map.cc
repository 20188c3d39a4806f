#include "support/demo_map.h"

#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "data/data_set.h"
#include "frame/failure.h"
#include "platform/file.h"
#include "platform/text.h"
#include "spatial/standard_shape_writer.h"
#include "support/map_file.h"
#include "support/shape_tools.h"

namespace tessary::cli {
namespace {

constexpr int kPerRow = 10;
constexpr double kCell = 0.5;  // degrees

struct DistrictMean {
  double region = 0, sum = 0, weight = 0;
  std::uint32_t households = 0;
  double gid() const { return region * 1000; }
};

// The weighted mean of LNWELFARE per district over the survey's households; every
// census district gets an entry, those without sampled households none of the sums.
std::map<int, DistrictMean> districtMeans(const std::string& censusDaa,
                                          const std::string& surveyDaa) {
  std::map<int, DistrictMean> means;
  for (const std::string* daa : {&censusDaa, &surveyDaa}) {
    DataSet data;
    data.openCombined(*daa);
    const std::int64_t n = data.recordCount();
    Column columns[4];
    const char* names[] = {"DISTRICT", "REGION", "LNWELFARE", "WEIGHT"};
    const int used = daa == &censusDaa ? 2 : 4;
    for (int c = 0; c < used; ++c)
      columns[c] = data.readColumn(names[c]);
    const auto column = [&](int c) { return columns[c].values.data(); };
    for (std::int64_t i = 0; i < n; ++i) {
      if (!std::isfinite(column(0)[i])) continue;
      DistrictMean& m = means[static_cast<int>(column(0)[i])];
      m.region = column(1)[i];
      if (used < 4 || !std::isfinite(column(2)[i]) || !std::isfinite(column(3)[i])) continue;
      m.sum += column(3)[i] * column(2)[i];
      m.weight += column(3)[i];
      ++m.households;
    }
  }
  return means;
}

// District d covers cell ((d-1) % 10, (d-1) / 10) of a grid whose corners are shaken
// by up to 30 % of a cell, so neighbouring districts share their corners.
void writeDistricts(const std::string& path, const std::map<int, DistrictMean>& means,
                    std::uint64_t seed) {
  const int rows = (means.rbegin()->first + kPerRow - 1) / kPerRow;
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> shake(-0.3 * kCell, 0.3 * kCell);
  std::vector<double> cornerX((kPerRow + 1) * (rows + 1)), cornerY(cornerX.size());
  for (int j = 0; j <= rows; ++j)
    for (int i = 0; i <= kPerRow; ++i) {
      cornerX[j * (kPerRow + 1) + i] = 30 + i * kCell + shake(random);
      cornerY[j * (kPerRow + 1) + i] = 2 - j * kCell + shake(random);
    }
  StandardShapeWriter writer;
  if (writer.create(path) != 0) raiseFailure(path + ".shp: can't create the shape file");
  for (const auto& [district, mean] : means) {
    const int i = (district - 1) % kPerRow, j = (district - 1) / kPerRow;
    // North-west, north-east, south-east, south-west: clockwise.
    const int corners[] = {j * (kPerRow + 1) + i, j * (kPerRow + 1) + i + 1,
                           (j + 1) * (kPerRow + 1) + i + 1, (j + 1) * (kPerRow + 1) + i,
                           j * (kPerRow + 1) + i};
    double xs[5], ys[5];
    for (int k = 0; k < 5; ++k) {
      xs[k] = cornerX[corners[k]];
      ys[k] = cornerY[corners[k]];
    }
    PolygonRings cell;
    cell.appendRing(xs, ys, 5);
    writer.add(cell, mean.gid() + district, formatText("District %d", district));
  }
  writer.close();
}

}  // namespace

std::string writeDemoMap(const std::string& directory, const std::string& censusDaa,
                         const std::string& surveyDaa, std::uint64_t seed) {
  const std::map<int, DistrictMean> means = districtMeans(censusDaa, surveyDaa);
  if (means.empty()) return {};
  const std::string districts = directory + "districts",
                    values = directory + "district_welfare.csv";
  writeDistricts(districts, means, seed);
  std::string csv = "gid,district,region,households,mean_lnwelfare\n";
  for (const auto& [district, m] : means)
    csv += formatText("%.0f,%d,%.0f,%u,", m.gid() + district, district, m.region, m.households) +
           (m.weight > 0 ? formatText("%.6f\n", m.sum / m.weight) : std::string("\n"));
  if (!writeWholeFile(values, csv)) raiseFailure(values + ": can't write the file");

  MapFileOptions map{districts,
                     values,
                     "gid",
                     "mean_lnwelfare",
                     directory + "welfare_map.svg",
                     {"Mean log welfare by district (survey, weighted)", "Mean log welfare", 5}};
  std::string out = "\nMaps (tessary shape, tessary map):\n  " + writeMapFile(map);
  out += "  " + linkShapeFile(districts, {1, 1});
  out += "  " + aggregateShapeFile({districts, directory + "regions", "GID", "Label", 3});
  return out;
}

}  // namespace tessary::cli

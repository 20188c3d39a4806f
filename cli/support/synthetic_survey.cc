#include "support/synthetic_survey.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "data/combine.h"
#include "data/data_set_writer.h"
#include "frame/failure.h"

namespace tessary::cli {
namespace {

constexpr std::uint32_t kClustersPerDistrict = 20;
constexpr std::uint32_t kDistrictsPerRegion = 5;
const char* const kRegionNames[] = {"North", "South", "East", "West", "Central"};
const char* const kEducationNames[] = {"None", "Primary", "Secondary", "Tertiary"};

struct Household {
  double cluster, size, rooms, education, electricity, lnWelfare;
};

struct Cluster {
  double id, district, region, urban;
  double geocode;  // (region * 1000 + district) * 100 + the cluster's number in its district
  std::uint32_t first = 0, count = 0;  // its households in the census
  double meanSize = 0, meanRooms = 0, electricity = 0, educated = 0;
};

ImportedColumn numberColumn(const std::string& name, const std::string& label) {
  ImportedColumn column;
  column.name = name;
  column.label = label;
  return column;
}

std::map<double, std::string> regionLabels(std::uint32_t regions) {
  std::map<double, std::string> labels;
  for (std::uint32_t r = 1; r <= regions; ++r)
    labels[r] = r <= 5 ? kRegionNames[r - 1] : "Region " + std::to_string(r);
  return labels;
}

// The household table of the given records.
ImportedTable householdTable(const std::vector<Household>& households,
                             const std::vector<Cluster>& clusters,
                             const std::vector<std::uint32_t>& records, const double* weights,
                             std::uint32_t regions) {
  ImportedTable table;
  table.rowCount = records.size();
  std::vector<ImportedColumn> c;
  c.push_back(numberColumn("HHID", "Household identifier"));
  c.push_back(numberColumn("CLUSTER", "Cluster identifier"));
  c.push_back(numberColumn("SIZE", "Household size"));
  c.push_back(numberColumn("ROOMS", "Number of rooms"));
  c.push_back(numberColumn("EDUC", "Education of the household head"));
  c.push_back(numberColumn("ELECTRICITY", "Electricity in the dwelling"));
  c.push_back(numberColumn("URBAN", "Urban or rural"));
  c.push_back(numberColumn("REGION", "Region"));
  c.push_back(numberColumn("LNWELFARE", "Log consumption per head"));
  for (std::size_t e = 0; e < 4; ++e)
    c[4].valueLabels[static_cast<double>(e + 1)] = kEducationNames[e];
  c[6].valueLabels = {{1.0, "Urban"}, {2.0, "Rural"}};
  c[7].valueLabels = regionLabels(regions);
  for (ImportedColumn& column : c)
    column.numbers.reserve(records.size());
  for (std::uint32_t r : records) {
    const Household& h = households[r];
    const Cluster& cl = clusters[static_cast<std::size_t>(h.cluster) - 1];
    const double values[] = {cl.id * kHouseholdAmplifier + (r - cl.first + 1),
                             h.cluster,
                             h.size,
                             h.rooms,
                             h.education,
                             h.electricity,
                             cl.urban != 0 ? 1.0 : 2.0,
                             cl.region,
                             h.lnWelfare};
    for (std::size_t i = 0; i < c.size(); ++i)
      c[i].numbers.push_back(values[i]);
  }
  if (weights != nullptr) {
    c.push_back(numberColumn("WEIGHT", "Sampling weight"));
    c.back().numbers.assign(weights, weights + records.size());
  }
  table.columns = std::move(c);
  return table;
}

ImportedTable clusterTable(const std::vector<Cluster>& clusters,
                           const std::vector<std::uint32_t>& records, std::uint32_t regions) {
  ImportedTable table;
  table.rowCount = records.size();
  std::vector<ImportedColumn> c;
  c.push_back(numberColumn("CLUSTER", "Cluster identifier"));
  c.push_back(numberColumn("GEOCODE", "Region, district and cluster number"));
  c.push_back(numberColumn("DISTRICT", "District"));
  c.push_back(numberColumn("CL_REGION", "Region of the cluster"));
  c.push_back(numberColumn("CL_URBAN", "Urban cluster"));
  c.push_back(numberColumn("CL_SIZE", "Mean household size"));
  c.push_back(numberColumn("CL_ROOMS", "Mean number of rooms"));
  c.push_back(numberColumn("CL_ELECTRICITY", "Share of households with electricity"));
  c.push_back(numberColumn("CL_EDUCATED", "Share of heads with secondary education or more"));
  c[3].valueLabels = regionLabels(regions);
  for (std::uint32_t r : records) {
    const Cluster& cl = clusters[r];
    const double values[] = {cl.id,       cl.geocode,   cl.district,    cl.region,  cl.urban,
                             cl.meanSize, cl.meanRooms, cl.electricity, cl.educated};
    for (std::size_t i = 0; i < c.size(); ++i)
      c[i].numbers.push_back(values[i]);
  }
  table.columns = std::move(c);
  return table;
}

void combine(const std::string& directory, const std::string& name) {
  CombineOptions options;
  options.households = directory + name + "_households";
  options.clusters = directory + name + "_clusters";
  options.key = "CLUSTER";
  options.out = directory + name + ".daA";
  options.amplifier = kHouseholdAmplifier;
  combineDataSets(options);
}

// The random streams every step draws from, in the order the steps run, so that a seed
// always gives the same census and survey.
struct Draws {
  explicit Draws(std::uint64_t seed) : random(seed) {}
  std::mt19937_64 random;
  std::uniform_real_distribution<double> uniform{0.0, 1.0};
  std::normal_distribution<double> normal{0.0, 1.0};
};

// Clusters of 50-200 households until the census is full; a short last cluster joins
// its predecessor.
std::vector<Cluster> placeClusters(std::uint32_t households, Draws& draws) {
  std::vector<Cluster> clusters;
  std::uint32_t placed = 0;
  while (placed < households) {
    Cluster cl;
    cl.id = static_cast<double>(clusters.size() + 1);
    cl.district = static_cast<double>(clusters.size() / kClustersPerDistrict + 1);
    cl.region = std::floor((cl.district - 1) / kDistrictsPerRegion) + 1;
    cl.geocode = (cl.region * 1000 + cl.district) * 100 +
                 static_cast<double>(clusters.size() % kClustersPerDistrict + 1);
    cl.urban = draws.uniform(draws.random) < 0.3 ? 1.0 : 0.0;
    cl.first = placed;
    cl.count = std::min<std::uint32_t>(
        50 + static_cast<std::uint32_t>(draws.uniform(draws.random) * 151), households - placed);
    placed += cl.count;
    clusters.push_back(cl);
  }
  if (clusters.size() > 1 && clusters.back().count < 50) {
    clusters[clusters.size() - 2].count += clusters.back().count;
    clusters.pop_back();
  }
  return clusters;
}

// The households of one cluster, with the cluster's means, then their log welfare from
// the known model: cluster effect eta, household error growing with the household's size.
void drawHouseholds(Cluster& cl, std::vector<Household>& households, Draws& draws) {
  auto& uniform = draws.uniform;
  auto& random = draws.random;
  for (std::uint32_t i = cl.first; i < cl.first + cl.count; ++i) {
    Household& h = households[i];
    h.cluster = cl.id;
    h.size = std::min(12.0, 1.0 + std::floor(-std::log(1.0 - uniform(random)) * 3.5));
    h.rooms = std::min(8.0, 1.0 + std::floor(h.size / 3.0 + uniform(random) * 2.5));
    const double schooling = uniform(random) + (cl.urban != 0 ? 0.25 : 0.0);
    h.education = schooling < 0.3 ? 1 : schooling < 0.7 ? 2 : schooling < 0.95 ? 3 : 4;
    h.electricity = uniform(random) < (cl.urban != 0 ? 0.9 : 0.4) ? 1.0 : 0.0;
    cl.meanSize += h.size;
    cl.meanRooms += h.rooms;
    cl.electricity += h.electricity;
    cl.educated += h.education >= 3 ? 1.0 : 0.0;
  }
  cl.meanSize /= cl.count;
  cl.meanRooms /= cl.count;
  cl.electricity /= cl.count;
  cl.educated /= cl.count;
  const double eta = std::sqrt(kClusterEffectVariance) * draws.normal(random);
  for (std::uint32_t i = cl.first; i < cl.first + cl.count; ++i) {
    Household& h = households[i];
    const double sigma = 0.30 * std::exp(0.06 * (h.size - 4.0));
    h.lnWelfare = 7.2 - 0.11 * h.size + 0.07 * h.rooms + 0.12 * (h.education - 1) +
                  0.25 * h.electricity + 0.18 * cl.urban + 0.40 * cl.electricity + eta +
                  sigma * draws.normal(random);
  }
}

struct SurveySample {
  std::vector<std::uint32_t> clusters;    // sampled cluster indices, ascending
  std::vector<std::uint32_t> households;  // sampled household indices, ascending
  std::vector<double> weights;            // one per sampled household
};

// Clusters at random, then households at random within them.
SurveySample drawSurvey(const std::vector<Cluster>& clusters, const SyntheticOptions& options,
                        Draws& draws) {
  SurveySample sample;
  const std::uint32_t sampled =
      std::min<std::uint32_t>(options.surveyClusters, static_cast<std::uint32_t>(clusters.size()));
  sample.clusters.resize(clusters.size());
  std::iota(sample.clusters.begin(), sample.clusters.end(), 0u);
  std::shuffle(sample.clusters.begin(), sample.clusters.end(), draws.random);
  sample.clusters.resize(sampled);
  std::sort(sample.clusters.begin(), sample.clusters.end());
  for (std::uint32_t k : sample.clusters) {
    const Cluster& cl = clusters[k];
    std::vector<std::uint32_t> members(cl.count);
    std::iota(members.begin(), members.end(), cl.first);
    std::shuffle(members.begin(), members.end(), draws.random);
    const std::uint32_t take = std::min(options.householdsPerCluster, cl.count);
    members.resize(take);
    std::sort(members.begin(), members.end());
    // Whole numbers: the tables' weighted counts add weights truncated to integers.
    const double weight =
        std::max(1.0, std::round(static_cast<double>(clusters.size()) / sampled * cl.count / take));
    for (std::uint32_t m : members) {
      sample.households.push_back(m);
      sample.weights.push_back(weight);
    }
  }
  return sample;
}

// The writer consumes the columns of a table made for it alone.
void writeTable(ImportedTable table, const std::string& path, const WriteOptions& options) {
  writeDataSet(table, path, options);
}

std::vector<std::uint32_t> allRecords(std::size_t count) {
  std::vector<std::uint32_t> records(count);
  std::iota(records.begin(), records.end(), 0u);
  return records;
}

}  // namespace

SyntheticReport writeSyntheticSurvey(const SyntheticOptions& options,
                                     const ProgressCallback& progress) {
  if (options.households < 50) raiseFailure("the census needs at least 50 households");
  std::string directory = options.directory;
  if (!directory.empty() && directory.back() != '/') directory += '/';
  Draws draws(options.seed);
  std::vector<Cluster> clusters = placeClusters(options.households, draws);
  const auto regions = static_cast<std::uint32_t>(clusters.back().region);
  std::vector<Household> households(options.households);
  for (std::size_t k = 0; k < clusters.size(); ++k) {
    drawHouseholds(clusters[k], households, draws);
    if (progress) progress(k + 1, clusters.size() * 2);
  }
  const SurveySample survey = drawSurvey(clusters, options, draws);
  {
    ImportedTable census =
        householdTable(households, clusters, allRecords(households.size()), nullptr, regions);
    if (!options.censusWelfare) census.columns.pop_back();  // a census measures no welfare
    writeDataSet(census, directory + "census_households", {"HHID", ""});
    writeTable(clusterTable(clusters, allRecords(clusters.size()), regions),
               directory + "census_clusters", {"CLUSTER", ""});
  }
  if (progress) progress(clusters.size() * 3 / 2, clusters.size() * 2);
  writeTable(
      householdTable(households, clusters, survey.households, survey.weights.data(), regions),
      directory + "survey_households", {"HHID", "WEIGHT"});
  writeTable(clusterTable(clusters, survey.clusters, regions), directory + "survey_clusters",
             {"CLUSTER", ""});
  combine(directory, "census");
  combine(directory, "survey");
  if (progress) progress(clusters.size() * 2, clusters.size() * 2);

  SyntheticReport report;
  report.censusDaa = directory + "census.daA";
  report.surveyDaa = directory + "survey.daA";
  report.censusHouseholds = options.households;
  report.censusClusters = static_cast<std::uint32_t>(clusters.size());
  report.surveyHouseholds = static_cast<std::uint32_t>(survey.households.size());
  report.surveyClusters = static_cast<std::uint32_t>(survey.clusters.size());
  report.districts = static_cast<std::uint32_t>(clusters.back().district);
  report.regions = regions;
  return report;
}

}  // namespace tessary::cli

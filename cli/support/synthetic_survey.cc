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

}  // namespace

SyntheticReport writeSyntheticSurvey(const SyntheticOptions& options,
                                     const ProgressCallback& progress) {
  if (options.households < 50) raiseFailure("the census needs at least 50 households");
  std::string directory = options.directory;
  if (!directory.empty() && directory.back() != '/') directory += '/';
  std::mt19937_64 random(options.seed);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::normal_distribution<double> normal(0.0, 1.0);

  // Clusters of 50-200 households until the census is full.
  std::vector<Cluster> clusters;
  std::uint32_t placed = 0;
  while (placed < options.households) {
    Cluster cl;
    cl.id = static_cast<double>(clusters.size() + 1);
    cl.district = static_cast<double>(clusters.size() / kClustersPerDistrict + 1);
    cl.region = std::floor((cl.district - 1) / kDistrictsPerRegion) + 1;
    cl.geocode = (cl.region * 1000 + cl.district) * 100 +
                 static_cast<double>(clusters.size() % kClustersPerDistrict + 1);
    cl.urban = uniform(random) < 0.3 ? 1.0 : 0.0;
    cl.first = placed;
    cl.count = std::min<std::uint32_t>(50 + static_cast<std::uint32_t>(uniform(random) * 151),
                                       options.households - placed);
    placed += cl.count;
    clusters.push_back(cl);
  }
  // A short last cluster joins its predecessor.
  if (clusters.size() > 1 && clusters.back().count < 50) {
    clusters[clusters.size() - 2].count += clusters.back().count;
    clusters.pop_back();
  }
  const auto regions = static_cast<std::uint32_t>(clusters.back().region);

  std::vector<Household> households(options.households);
  for (std::size_t k = 0; k < clusters.size(); ++k) {
    Cluster& cl = clusters[k];
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
    const double eta = std::sqrt(kClusterEffectVariance) * normal(random);
    for (std::uint32_t i = cl.first; i < cl.first + cl.count; ++i) {
      Household& h = households[i];
      const double sigma = 0.30 * std::exp(0.06 * (h.size - 4.0));
      h.lnWelfare = 7.2 - 0.11 * h.size + 0.07 * h.rooms + 0.12 * (h.education - 1) +
                    0.25 * h.electricity + 0.18 * cl.urban + 0.40 * cl.electricity + eta +
                    sigma * normal(random);
    }
    if (progress) progress(k + 1, clusters.size() * 2);
  }

  // The survey: clusters at random, then households at random within them.
  const std::uint32_t sampled =
      std::min<std::uint32_t>(options.surveyClusters, static_cast<std::uint32_t>(clusters.size()));
  std::vector<std::uint32_t> order(clusters.size());
  std::iota(order.begin(), order.end(), 0u);
  std::shuffle(order.begin(), order.end(), random);
  order.resize(sampled);
  std::sort(order.begin(), order.end());
  std::vector<std::uint32_t> surveyRecords;
  std::vector<double> weights;
  for (std::uint32_t k : order) {
    const Cluster& cl = clusters[k];
    std::vector<std::uint32_t> members(cl.count);
    std::iota(members.begin(), members.end(), cl.first);
    std::shuffle(members.begin(), members.end(), random);
    const std::uint32_t take = std::min(options.householdsPerCluster, cl.count);
    members.resize(take);
    std::sort(members.begin(), members.end());
    // Whole numbers: the tables' weighted counts add weights truncated to integers.
    const double weight =
        std::max(1.0, std::round(static_cast<double>(clusters.size()) / sampled * cl.count / take));
    for (std::uint32_t m : members) {
      surveyRecords.push_back(m);
      weights.push_back(weight);
    }
  }

  std::vector<std::uint32_t> everyHousehold(households.size()), everyCluster(clusters.size());
  std::iota(everyHousehold.begin(), everyHousehold.end(), 0u);
  std::iota(everyCluster.begin(), everyCluster.end(), 0u);
  {
    ImportedTable census = householdTable(households, clusters, everyHousehold, nullptr, regions);
    if (!options.censusWelfare) census.columns.pop_back();  // a census measures no welfare
    writeDataSet(census, directory + "census_households", {"HHID", ""});
    ImportedTable censusClusters = clusterTable(clusters, everyCluster, regions);
    writeDataSet(censusClusters, directory + "census_clusters", {"CLUSTER", ""});
  }
  if (progress) progress(clusters.size() * 3 / 2, clusters.size() * 2);
  {
    ImportedTable survey =
        householdTable(households, clusters, surveyRecords, weights.data(), regions);
    writeDataSet(survey, directory + "survey_households", {"HHID", "WEIGHT"});
    ImportedTable surveyClusters = clusterTable(clusters, order, regions);
    writeDataSet(surveyClusters, directory + "survey_clusters", {"CLUSTER", ""});
  }
  combine(directory, "census");
  combine(directory, "survey");
  if (progress) progress(clusters.size() * 2, clusters.size() * 2);

  SyntheticReport report;
  report.censusDaa = directory + "census.daA";
  report.surveyDaa = directory + "survey.daA";
  report.censusHouseholds = options.households;
  report.censusClusters = static_cast<std::uint32_t>(clusters.size());
  report.surveyHouseholds = static_cast<std::uint32_t>(surveyRecords.size());
  report.surveyClusters = sampled;
  report.districts = static_cast<std::uint32_t>(clusters.back().district);
  report.regions = regions;
  return report;
}

}  // namespace tessary::cli

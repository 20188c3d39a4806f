#include "support/direct_run.h"

#include <cmath>
#include <map>
#include <optional>
#include <vector>

#include "data/staging_directory.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/text.h"
#include "support/area_estimates.h"
#include "support/csv_export.h"
#include "support/direct_estimator.h"
#include "support/direct_survey_reader.h"
#include "support/weight_choice.h"

namespace tessary::cli {
namespace {

// Identifiers up to this are whole numbers a double holds exactly.
constexpr double kLargestExactWhole = 9007199254740992.0;
constexpr int kMostAreaDigits = 15;

void checkOptions(const DirectOptions& o) {
  if (o.welfare.empty()) raiseFailure("give the welfare variable (--welfare)");
  if (o.cluster.empty()) raiseFailure("give the cluster identifier (--cluster)");
  if (!(std::isfinite(o.line) && o.line > 0))
    raiseFailure("give a poverty line above zero (--line)");
  if (o.by.empty() == (o.areaDigits < 0)) raiseFailure("give either --by or --area-digits");
  if (o.areaDigits > kMostAreaDigits)
    raiseFailure(formatText("--area-digits goes up to %d", kMostAreaDigits));
  if (o.out.empty()) raiseFailure("give the directory to write (--out)");
}

// The household's area key; nullopt where it has none.
class AreaKeys {
 public:
  AreaKeys(const DirectOptions& options, SurveyReader& reader, const SurveyColumn& cluster)
      : options_(options), cluster_(cluster) {
    if (!options.by.empty()) by_ = reader.column(options.by);
    divisor_ = std::pow(10.0, std::max(options.areaDigits, 0));
  }

  std::optional<double> of(std::size_t household) const {
    if (by_) {
      const double v = by_->values[household];
      return std::isfinite(v) ? std::optional(v) : std::nullopt;
    }
    const double id = cluster_.values[household];
    if (!(id >= 0 && id == std::trunc(id) && id <= kLargestExactWhole))
      raiseFailure(
          formatText("%s: the identifier of household %zu (%s) is not a whole number "
                     "from 0 to 2^53, so --area-digits can't shorten it",
                     options_.cluster.c_str(), household + 1, formatGeneral(id, 17).c_str()));
    return std::floor(id / divisor_);
  }

  // The area's name in the output: a categorical value's label, else the number.
  std::string name(double key) const {
    if (by_ && by_->categorical) {
      const auto label = by_->labels.find(static_cast<int>(key));
      if (label != by_->labels.end()) return label->second;
    }
    std::string text;
    text += formatGeneral(key, kRoundTrip);
    return text;
  }

 private:
  const DirectOptions& options_;
  const SurveyColumn& cluster_;
  std::optional<SurveyColumn> by_;
  double divisor_ = 1;
};

struct SurveyInput {
  std::string weightName;  // the expression used, "" for none
  SurveyColumn welfare, weight, persons, cluster, strata, filter;
};

SurveyInput readInput(const DirectOptions& o, SurveyReader& reader) {
  SurveyInput in;
  in.weightName = chosenWeight({o.weight, o.unweighted}, reader.data());
  in.welfare = reader.column(o.welfare);
  in.cluster = reader.column(o.cluster);
  const auto optionalColumn = [&](const std::string& expression, SurveyColumn& column) {
    if (!expression.empty()) column = reader.column(expression);
  };
  optionalColumn(in.weightName, in.weight);
  optionalColumn(o.persons, in.persons);
  optionalColumn(o.strata, in.strata);
  optionalColumn(o.filter, in.filter);
  return in;
}

// The value of an optional column, `absent` when it was not asked for.
double valueOr(const SurveyColumn& column, std::size_t i, double absent) {
  return column.values.empty() ? absent : column.values[i];
}

void requireIdentifier(const std::string& name, double v, std::size_t household) {
  if (!std::isfinite(v))
    raiseFailure(formatText("%s is missing for household %zu", name.c_str(), household + 1));
}

void requireNotNegative(const std::string& name, double v, std::size_t household) {
  if (v < 0)
    raiseFailure(formatText("%s is negative (%s) for household %zu", name.c_str(),
                            formatGeneral(v, 17).c_str(), household + 1));
}

struct PreparedSample {
  DirectSample sample;
  std::vector<std::string> areaNames;
  std::size_t leftOut = 0;
};

PreparedSample prepareSample(const DirectOptions& o, const SurveyInput& in, const AreaKeys& keys) {
  PreparedSample out;
  DirectSample& s = out.sample;
  std::map<double, std::int32_t> areas;
  std::vector<double> keyOf(in.welfare.values.size());
  for (std::size_t i = 0; i < in.welfare.values.size(); ++i) {
    const double cluster = in.cluster.values[i], stratum = valueOr(in.strata, i, 0);
    const double weight = valueOr(in.weight, i, 1), persons = valueOr(in.persons, i, 1);
    requireIdentifier(o.cluster, cluster, i);
    requireIdentifier(o.strata, stratum, i);
    requireNotNegative(in.weightName, weight, i);
    requireNotNegative(o.persons, persons, i);
    const std::optional<double> key = keys.of(i);
    const bool inArea = std::isfinite(in.welfare.values[i]) && std::isfinite(weight) &&
                        std::isfinite(persons) && key && valueOr(in.filter, i, 1) == 1.0;
    s.welfare.push_back(in.welfare.values[i]);
    s.weight.push_back(inArea ? weight * persons : 0.0);
    s.persons.push_back(inArea ? persons : 0.0);
    s.cluster.push_back(cluster);
    if (!o.strata.empty()) s.stratum.push_back(stratum);
    keyOf[i] = inArea ? *key : MISSING;
    if (inArea) areas.try_emplace(*key, 0);
    out.leftOut += inArea ? 0 : 1;
  }
  for (auto& [key, index] : areas) {
    index = static_cast<std::int32_t>(out.areaNames.size());
    out.areaNames.push_back(keys.name(key));
  }
  if (areas.empty())
    raiseFailure("no household has welfare, weight, persons and area values and passes the filter");
  s.areaCount = areas.size();
  for (double key : keyOf)
    s.area.push_back(std::isfinite(key) ? areas.at(key) : kOutsideAreas);
  return out;
}

nlohmann::ordered_json describeRun(const DirectOptions& o, const std::string& path,
                                   const std::string& weight, const PreparedSample& prepared,
                                   const DesignSize& design) {
  const auto optional = [](const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
  };
  nlohmann::ordered_json run;
  run["command"] = "direct";
  run["data"] = path;
  run["welfare"] = o.welfare;
  run["weight"] = optional(weight);
  run["persons"] = optional(o.persons);
  run["cluster"] = o.cluster;
  run["strata"] = optional(o.strata);
  run["filter"] = optional(o.filter);
  run["by"] = optional(o.by);
  run["area_digits"] = o.by.empty() ? nlohmann::ordered_json(o.areaDigits) : nullptr;
  run["line"] = o.line;
  run["households_in_areas"] = prepared.sample.area.size() - prepared.leftOut;
  run["households_left_out"] = prepared.leftOut;
  run["clusters"] = design.clusters;
  run["strata_count"] = design.strata;
  run["single_cluster_strata"] = design.singleClusterStrata;
  run["variance"] = "linearisation, clusters as primary sampling units with replacement";
  return run;
}

}  // namespace

std::string runDirect(const DirectOptions& options) {
  checkOptions(options);
  SurveyReader reader(options.data);
  const SurveyInput input = readInput(options, reader);
  const AreaKeys keys(options, reader, input.cluster);
  const PreparedSample prepared = prepareSample(options, input, keys);
  DesignSize design;
  std::vector<AreaEstimate> rows = estimateAreas(prepared.sample, options.line, &design);
  for (std::size_t a = 0; a < rows.size(); ++a)
    rows[a].area = prepared.areaNames[a];

  const StagingDirectory staging(options.out, "direct");
  writeAreaEstimates(staging.path(), rows,
                     describeRun(options, reader.path(), input.weightName, prepared, design));
  staging.publishInto(options.out, kAreaEstimateFiles);
  std::string strata;
  if (!options.strata.empty())
    strata = formatText(" (%zu strata, %zu with one cluster)", design.strata,
                        design.singleClusterStrata);
  const std::string weight = input.weightName.empty() ? "unweighted" : "weight " + input.weightName;
  return formatText("Wrote %zu areas to %s: %zu households in %zu clusters%s, %zu left out; %s",
                    rows.size(), options.out.c_str(),
                    prepared.sample.area.size() - prepared.leftOut, design.clusters, strata.c_str(),
                    prepared.leftOut, weight.c_str());
}

}  // namespace tessary::cli

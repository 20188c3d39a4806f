#include "support/area_estimates.h"

#include <cmath>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/file.h"
#include "platform/text.h"
#include "support/csv_export.h"

namespace tessary::cli {
namespace {

// The figures of a row after its households and persons, in column order.
struct Figure {
  const char* name;
  Estimate AreaEstimate::*measure;
  double Estimate::*part;
};

const Figure kFigures[] = {
    {"mean", &AreaEstimate::mean, &Estimate::value},
    {"mean_se", &AreaEstimate::mean, &Estimate::standardError},
    {"fgt0", &AreaEstimate::fgt0, &Estimate::value},
    {"fgt0_se", &AreaEstimate::fgt0, &Estimate::standardError},
    {"fgt1", &AreaEstimate::fgt1, &Estimate::value},
    {"fgt1_se", &AreaEstimate::fgt1, &Estimate::standardError},
    {"fgt2", &AreaEstimate::fgt2, &Estimate::value},
    {"fgt2_se", &AreaEstimate::fgt2, &Estimate::standardError},
};

double figureOf(const AreaEstimate& row, const Figure& figure) {
  return row.*figure.measure.*figure.part;
}

nlohmann::ordered_json numberOrNull(double v) {
  return std::isfinite(v) ? nlohmann::ordered_json(v) : nlohmann::ordered_json(nullptr);
}

void writeOrRaise(const std::string& path, const std::string& content) {
  if (!writeWholeFile(path, content))
    raiseFailure(formatText("%s: can't write the file (%s)", path.c_str(),
                            systemErrorText(lastSystemError()).c_str()));
}

}  // namespace

std::string areaEstimatesCsv(const std::vector<AreaEstimate>& rows) {
  std::string out = "area,households,persons";
  for (const Figure& figure : kFigures)
    out += std::string(",") + figure.name;
  out += '\n';
  for (const AreaEstimate& row : rows) {
    out += csvField(row.area) + "," + std::to_string(row.households) + ",";
    if (std::isfinite(row.persons)) out += formatGeneral(row.persons, kRoundTrip);
    for (const Figure& figure : kFigures) {
      out += ',';
      const double v = figureOf(row, figure);
      if (std::isfinite(v)) out += formatGeneral(v, kRoundTrip);
    }
    out += '\n';
  }
  return out;
}

nlohmann::ordered_json areaEstimatesJson(const std::vector<AreaEstimate>& rows,
                                         const nlohmann::ordered_json& run) {
  nlohmann::ordered_json areas = nlohmann::ordered_json::array();
  for (const AreaEstimate& row : rows) {
    nlohmann::ordered_json area = nlohmann::ordered_json::object();
    area["area"] = row.area;
    area["households"] = row.households;
    area["persons"] = numberOrNull(row.persons);
    for (const Figure& figure : kFigures)
      area[figure.name] = numberOrNull(figureOf(row, figure));
    areas.push_back(std::move(area));
  }
  return {{"run", run}, {"areas", std::move(areas)}};
}

std::vector<std::string> areaEstimateFiles(const std::string& stem) {
  return {stem + ".csv", stem + ".json"};
}

void writeAreaEstimates(const std::string& directory, const std::vector<AreaEstimate>& rows,
                        const nlohmann::ordered_json& run) {
  writeAreaEstimates(directory, "estimates", rows, run);
}

void writeAreaEstimates(const std::string& directory, const std::string& stem,
                        const std::vector<AreaEstimate>& rows, const nlohmann::ordered_json& run) {
  const std::vector<std::string> files = areaEstimateFiles(stem);
  writeOrRaise(directory + files[0], areaEstimatesCsv(rows));
  writeOrRaise(directory + files[1], areaEstimatesJson(rows, run).dump(2) + "\n");
}

std::vector<AreaEstimate> areaEstimatesFromJson(const std::string& file,
                                                const nlohmann::json& document) {
  const auto fail = [&](const std::string& field, const char* problem) {
    raiseFailure(file + ": " + field + ": " + problem);
  };
  // A figure: a number, or null for a missing one.
  const auto numberIn = [&](const nlohmann::json& area, const char* key, const std::string& where) {
    if (!area.contains(key) || !(area[key].is_null() || area[key].is_number()))
      fail(where + "." + key, "expected a number or null");
    return area[key].is_null() ? MISSING : area[key].get<double>();
  };
  if (!document.is_object() || !document.contains("areas") || !document["areas"].is_array())
    fail("areas", "expected an array");
  std::vector<AreaEstimate> rows;
  for (std::size_t i = 0; i < document["areas"].size(); ++i) {
    const nlohmann::json& area = document["areas"][i];
    const std::string where = "areas[" + std::to_string(i) + "]";
    if (!area.is_object() || !area.contains("area") || !area["area"].is_string())
      fail(where + ".area", "expected a string");
    AreaEstimate row;
    row.area = area["area"].get<std::string>();
    if (!area.contains("households") || !area["households"].is_number_unsigned())
      fail(where + ".households", "expected a count");
    row.households = area["households"].get<std::uint64_t>();
    row.persons = numberIn(area, "persons", where);
    for (const Figure& figure : kFigures)
      row.*figure.measure.*figure.part = numberIn(area, figure.name, where);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace tessary::cli

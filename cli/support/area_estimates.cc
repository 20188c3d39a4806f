#include "support/area_estimates.h"

#include <cmath>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/file.h"
#include "platform/text.h"
#include "support/csv_export.h"

namespace tessary::cli {
namespace {

// The figures of a row after its area, in column order.
struct Column {
  const char* name;
  double (*get)(const AreaEstimate&);
};

const Column kColumns[] = {
    {"households", [](const AreaEstimate& r) { return static_cast<double>(r.households); }},
    {"persons", [](const AreaEstimate& r) { return r.persons; }},
    {"mean", [](const AreaEstimate& r) { return r.mean.value; }},
    {"mean_se", [](const AreaEstimate& r) { return r.mean.standardError; }},
    {"fgt0", [](const AreaEstimate& r) { return r.fgt0.value; }},
    {"fgt0_se", [](const AreaEstimate& r) { return r.fgt0.standardError; }},
    {"fgt1", [](const AreaEstimate& r) { return r.fgt1.value; }},
    {"fgt1_se", [](const AreaEstimate& r) { return r.fgt1.standardError; }},
    {"fgt2", [](const AreaEstimate& r) { return r.fgt2.value; }},
    {"fgt2_se", [](const AreaEstimate& r) { return r.fgt2.standardError; }},
};

void writeOrRaise(const std::string& path, const std::string& content) {
  if (!writeWholeFile(path, content))
    raiseFailure(formatText("%s: can't write the file (%s)", path.c_str(),
                            systemErrorText(lastSystemError()).c_str()));
}

}  // namespace

std::string areaEstimatesCsv(const std::vector<AreaEstimate>& rows) {
  std::string out = "area";
  for (const Column& column : kColumns)
    out += std::string(",") + column.name;
  out += '\n';
  for (const AreaEstimate& row : rows) {
    out += csvField(row.area);
    for (const Column& column : kColumns) {
      out += ',';
      const double v = column.get(row);
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
    for (const Column& column : kColumns) {
      const double v = column.get(row);
      area[column.name] =
          std::isfinite(v) ? nlohmann::ordered_json(v) : nlohmann::ordered_json(nullptr);
    }
    area["households"] = row.households;
    areas.push_back(std::move(area));
  }
  return {{"run", run}, {"areas", std::move(areas)}};
}

void writeAreaEstimates(const std::string& directory, const std::vector<AreaEstimate>& rows,
                        const nlohmann::ordered_json& run) {
  writeOrRaise(directory + kAreaEstimateFiles[0], areaEstimatesCsv(rows));
  writeOrRaise(directory + kAreaEstimateFiles[1], areaEstimatesJson(rows, run).dump(2) + "\n");
}

}  // namespace tessary::cli

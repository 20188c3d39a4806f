#include "support/poverty_report.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <unordered_map>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/file.h"
#include "platform/text.h"
#include "support/area_estimates.h"
#include "support/area_shapes.h"
#include "support/area_values.h"
#include "support/fit_directory.h"
#include "support/json_file.h"
#include "support/output_file.h"
#include "support/svg_map.h"

namespace tessary::cli {
namespace {

struct EstimatesFile {
  std::string path;
  nlohmann::json run;
  std::vector<AreaEstimate> rows;
};

EstimatesFile readEstimates(const std::string& argument) {
  EstimatesFile file;
  file.path = upperCase(argument).ends_with(".JSON")       ? argument
              : argument.empty() || argument.back() == '/' ? argument + "estimates.json"
                                                           : argument + "/estimates.json";
  const nlohmann::json document = readJsonFile(file.path);
  file.rows = areaEstimatesFromJson(file.path, document);
  if (document.contains("run")) file.run = document["run"];
  return file;
}

std::string figure(double value, int decimals) {
  return std::isfinite(value) ? formatFixed(value, decimals, 16) : "";
}

// The coefficient of variation in per cent, or not a number.
double cv(const Estimate& e) {
  return e.value > 0 ? 100 * e.standardError / e.value : std::nan("");
}

double median(std::vector<double> values) {
  if (values.empty()) return std::nan("");
  std::sort(values.begin(), values.end());
  const std::size_t m = values.size() / 2;
  return values.size() % 2 == 1 ? values[m] : (values[m - 1] + values[m]) / 2;
}

struct AreaRow {
  const AreaEstimate* model = nullptr;
  const AreaEstimate* direct = nullptr;
};

// Areas in the model's order, then those only the direct estimates have.
std::vector<std::pair<std::string, AreaRow>> matchAreas(const EstimatesFile* model,
                                                        const EstimatesFile* direct) {
  std::vector<std::pair<std::string, AreaRow>> areas;
  std::map<std::string, std::size_t> at;
  const auto add = [&](const EstimatesFile* file, bool isModel) {
    if (file == nullptr) return;
    for (const AreaEstimate& row : file->rows) {
      auto [found, added] = at.emplace(row.area, areas.size());
      if (added) areas.push_back({row.area, AreaRow{}});
      (isModel ? areas[found->second].second.model : areas[found->second].second.direct) = &row;
    }
  };
  add(model, true);
  add(direct, false);
  return areas;
}

std::vector<std::string> estimateCells(const AreaEstimate* row) {
  if (row == nullptr) return {"", "", "", "", "", ""};
  return {std::to_string(row->households),    figure(row->fgt0.value, 4),
          figure(row->fgt0.standardError, 4), figure(cv(row->fgt0), 1),
          figure(row->mean.value, 2),         figure(row->mean.standardError, 2)};
}

void addEstimatesSection(HtmlPage& page, const EstimatesFile* model, const EstimatesFile* direct) {
  const auto areas = matchAreas(model, direct);
  std::vector<double> modelCv, directCv;
  std::vector<std::vector<std::string>> rows;
  for (const auto& [area, row] : areas) {
    std::vector<std::string> cells = {area};
    for (const AreaEstimate* side : {row.model, row.direct}) {
      const std::vector<std::string> more = estimateCells(side);
      cells.insert(cells.end(), more.begin(), more.end());
    }
    if (row.model && row.direct && std::isfinite(cv(row.model->fgt0)) &&
        std::isfinite(cv(row.direct->fgt0)))
      modelCv.push_back(cv(row.model->fgt0)), directCv.push_back(cv(row.direct->fgt0));
    rows.push_back(std::move(cells));
  }
  page.heading("Estimates by area");
  page.paragraph(
      "Headcount ratio (FGT0) and mean welfare, model-based (simulated over the census) and "
      "direct (from the survey alone), with standard errors and the coefficient of variation "
      "(CV, standard error over estimate, in per cent). Households: census households "
      "simulated, survey households in the direct estimate.");
  if (!modelCv.empty())
    page.paragraph(formatText(
        "Areas with both estimates: %zu; the median CV of their headcount is %s %% "
        "model-based and %s %% direct.",
        modelCv.size(), figure(median(modelCv), 1).c_str(), figure(median(directCv), 1).c_str()));
  page.table({"Area", "Households", "FGT0 model", "s.e.", "CV %", "Mean model", "s.e.",
              "Survey households", "FGT0 direct", "s.e.", "CV %", "Mean direct", "s.e."},
             rows);
}

std::string inlineSvg(const std::string& document) {
  const std::size_t start = document.find("<svg");
  return (start == std::string::npos ? document : document.substr(start)) + "\n";
}

// The two maps; returns the number of areas drawn with a value.
std::size_t addMaps(HtmlPage& page, const std::string& shapesPath, const EstimatesFile& model) {
  const AreaShapes shapes = readAreaShapes(shapesPath);
  std::unordered_map<double, double> headcount, variation;
  for (const AreaEstimate& row : model.rows) {
    char* end = nullptr;
    const double id = std::strtod(row.area.c_str(), &end);
    if (row.area.empty() || *end != '\0') continue;
    headcount[id] = row.fgt0.value;
    variation[id] = cv(row.fgt0);
  }
  const AreaValues values = valuesForShapes(shapes, headcount);
  if (values.withValue == 0)
    raiseFailure(shapesPath + ": no area's GID is among the areas of " + model.path);
  page.heading("Maps");
  page.markup(inlineSvg(
      choroplethSvg(shapes, values.values, {"Headcount ratio (FGT0), model-based", "FGT0", 5})));
  page.markup(inlineSvg(choroplethSvg(shapes, valuesForShapes(shapes, variation).values,
                                      {"Coefficient of variation of the headcount", "CV %", 5})));
  return values.withValue;
}

void checkOptions(const ReportOptions& o) {
  if (o.out.empty()) raiseFailure("give the page to write (--out)");
  if (o.fit.empty() && o.simulate.empty() && o.direct.empty())
    raiseFailure("give at least one of --fit, --simulate and --direct");
  if (!o.shapes.empty() && o.simulate.empty()) raiseFailure("--shapes needs --simulate");
}

}  // namespace

std::string runReport(const ReportOptions& options) {
  checkOptions(options);
  HtmlPage page(options.title);
  std::optional<EstimatesFile> model, direct;
  if (!options.simulate.empty()) model = readEstimates(options.simulate);
  if (!options.direct.empty()) direct = readEstimates(options.direct);
  if (model && model->run.contains("line") && model->run["line"].is_number())
    page.paragraph("Poverty line: " + figure(model->run["line"].get<double>(), 4) + ".");
  std::size_t drawn = 0;
  if (!options.shapes.empty()) drawn = addMaps(page, options.shapes, *model);
  if (model || direct)
    addEstimatesSection(page, model ? &*model : nullptr, direct ? &*direct : nullptr);
  if (!options.fit.empty()) addModelSection(page, readFitDirectory(options.fit));
  writeOutputFile(options.out, page.text());
  return formatText("Wrote %s: %s%zu areas of model-based and %zu of direct estimates, %zu mapped",
                    options.out.c_str(), options.fit.empty() ? "" : "the model, ",
                    model ? model->rows.size() : 0, direct ? direct->rows.size() : 0, drawn);
}

}  // namespace tessary::cli

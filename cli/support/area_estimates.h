// Per-area welfare estimates as the estimating commands write them: "estimates.csv"
// with the columns area, households, persons, mean, mean_se, fgt0, fgt0_se, fgt1,
// fgt1_se, fgt2, fgt2_se (a missing figure is an empty cell), and "estimates.json",
// {"run": {...how they were made...}, "areas": [{one object per row, keyed by the
// same column names; a missing figure is null}]}. Areas are text in both files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "frame/missing.h"

namespace tessary::cli {

struct Estimate {
  double value = MISSING;
  double standardError = MISSING;
};

struct AreaEstimate {
  std::string area;
  std::uint64_t households = 0;
  double persons = 0;
  Estimate mean;  // of welfare
  Estimate fgt0;  // headcount ratio
  Estimate fgt1;  // poverty gap
  Estimate fgt2;  // squared poverty gap
};

inline const std::vector<std::string> kAreaEstimateFiles = {"estimates.csv", "estimates.json"};

// The two file names for another stem than "estimates": stem.csv and stem.json.
std::vector<std::string> areaEstimateFiles(const std::string& stem);

// The CSV text of the rows, with its header line.
std::string areaEstimatesCsv(const std::vector<AreaEstimate>& rows);

// The JSON document of the rows; `run` describes how they were made.
nlohmann::ordered_json areaEstimatesJson(const std::vector<AreaEstimate>& rows,
                                         const nlohmann::ordered_json& run);

// Writes both files into `directory` (ending in '/'); raises when one can't be written.
void writeAreaEstimates(const std::string& directory, const std::vector<AreaEstimate>& rows,
                        const nlohmann::ordered_json& run);
void writeAreaEstimates(const std::string& directory, const std::string& stem,
                        const std::vector<AreaEstimate>& rows, const nlohmann::ordered_json& run);

// The rows of an estimates.json document (the inverse of areaEstimatesJson); raises
// "<file>: <field>: <what is wrong>" for a document that is not one.
std::vector<AreaEstimate> areaEstimatesFromJson(const std::string& file,
                                                const nlohmann::json& document);

}  // namespace tessary::cli

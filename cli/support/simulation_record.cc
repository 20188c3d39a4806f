#include "support/simulation_record.h"

#include <limits>

#include "support/json_file.h"

namespace tessary::cli {
namespace {

nlohmann::ordered_json textOrNull(const std::string& text) {
  return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

}  // namespace

nlohmann::ordered_json recordJson(const SimulationRecord& r) {
  nlohmann::ordered_json run;
  run["command"] = "simulate";
  run["model"] = r.model;
  run["census"] = r.census;
  run["cluster_id"] = r.clusterId;
  run["dependent"] = r.dependent;
  run["replications"] = r.replications;
  run["seed"] = r.seed;
  run["line"] = r.line;
  run["persons"] = textOrNull(r.persons);
  run["errors"] = r.errors;
  run["area_digits"] = r.areaDigits;
  run["level"] = r.digits;
  run["partition"] = r.partition ? nlohmann::ordered_json(std::to_string(r.partition->index) + "/" +
                                                          std::to_string(r.partition->count))
                                 : nlohmann::ordered_json(nullptr);
  run["households"] = r.households;
  run["households_left_out"] = r.leftOut;
  run["clusters"] = r.clusters;
  run["areas"] = r.areas;
  return run;
}

SimulationRecord recordFromJson(const std::string& file, const nlohmann::json& document) {
  const JsonFields f = JsonFields(file, document, "").object("run");
  if (f.text("command") != "simulate") f.fail("run.command", "not a simulation's estimates");
  constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
  const auto count = [&](const char* key) {
    return static_cast<std::uint64_t>(f.integer(key, 0, kMost));
  };
  SimulationRecord r;
  r.model = f.text("model");
  r.census = f.text("census");
  r.clusterId = f.text("cluster_id");
  r.dependent = f.text("dependent");
  r.replications = static_cast<int>(f.integer("replications", 1, 1 << 30));
  r.seed = count("seed");
  r.line = f.number("line");
  r.persons = f.at("persons").is_null() ? "" : f.text("persons");
  r.errors = f.text("errors");
  const nlohmann::json& digits = f.at("area_digits");
  if (!digits.is_array() || digits.empty()) f.fail("run.area_digits", "expected a list of digits");
  for (const nlohmann::json& d : digits) {
    if (!d.is_number_unsigned() || d.get<std::uint64_t>() > kMostAreaDigits)
      f.fail("run.area_digits", "expected a list of digits");
    r.areaDigits.push_back(d.get<int>());
  }
  r.digits = static_cast<int>(f.integer("level", 0, kMostAreaDigits));
  if (!f.at("partition").is_null()) r.partition = parsePartition(f.text("partition"));
  r.households = count("households");
  r.leftOut = count("households_left_out");
  r.clusters = count("clusters");
  r.areas = count("areas");
  return r;
}

bool sameSettings(const SimulationRecord& a, const SimulationRecord& b) {
  return a.model == b.model && a.census == b.census && a.clusterId == b.clusterId &&
         a.dependent == b.dependent && a.persons == b.persons && a.errors == b.errors &&
         a.replications == b.replications && a.seed == b.seed && a.line == b.line &&
         a.areaDigits == b.areaDigits && a.digits == b.digits;
}

std::string estimatesStem(const std::vector<int>& areaDigits, std::size_t level) {
  return level == 0 ? "estimates" : "estimates-" + std::to_string(areaDigits[level]);
}

}  // namespace tessary::cli

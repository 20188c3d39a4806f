#include "support/simulation_record.h"

#include "frame/failure.h"

namespace tessary::cli {
namespace {

using Json = nlohmann::json;

nlohmann::ordered_json textOrNull(const std::string& text) {
  return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

// The run object's fields, each failure naming the file and the field.
class RunFields {
 public:
  RunFields(const std::string& file, const Json& run) : file_(file), run_(run) {
    if (!run_.is_object()) fail("", "expected an object");
  }
  [[noreturn]] void fail(const std::string& key, const char* problem) const {
    raiseFailure(file_ + ": run" + (key.empty() ? "" : "." + key) + ": " + problem);
  }
  const Json& at(const char* key) const {
    if (!run_.contains(key)) fail(key, "missing");
    return run_.at(key);
  }
  std::string text(const char* key) const {
    if (!at(key).is_string()) fail(key, "expected a string");
    return at(key).get<std::string>();
  }
  std::string textOrEmpty(const char* key) const { return at(key).is_null() ? "" : text(key); }
  std::uint64_t count(const char* key) const {
    if (!at(key).is_number_unsigned()) fail(key, "expected a count");
    return at(key).get<std::uint64_t>();
  }
  double number(const char* key) const {
    if (!at(key).is_number()) fail(key, "expected a number");
    return at(key).get<double>();
  }

 private:
  const std::string& file_;
  const Json& run_;
};

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
  if (!document.is_object() || !document.contains("run")) raiseFailure(file + ": run: missing");
  const RunFields f(file, document.at("run"));
  if (f.text("command") != "simulate") f.fail("command", "not a simulation's estimates");
  SimulationRecord r;
  r.model = f.text("model");
  r.census = f.text("census");
  r.clusterId = f.text("cluster_id");
  r.dependent = f.text("dependent");
  r.replications = static_cast<int>(f.count("replications"));
  r.seed = f.count("seed");
  r.line = f.number("line");
  r.persons = f.textOrEmpty("persons");
  r.errors = f.text("errors");
  const Json& digits = f.at("area_digits");
  if (!digits.is_array() || digits.empty()) f.fail("area_digits", "expected a list of digits");
  for (const Json& d : digits) {
    if (!d.is_number_unsigned() || d.get<std::uint64_t>() > kMostAreaDigits)
      f.fail("area_digits", "expected a list of digits");
    r.areaDigits.push_back(d.get<int>());
  }
  r.digits = static_cast<int>(f.count("level"));
  if (!f.at("partition").is_null()) r.partition = parsePartition(f.text("partition"));
  r.households = f.count("households");
  r.leftOut = f.count("households_left_out");
  r.clusters = f.count("clusters");
  r.areas = f.count("areas");
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

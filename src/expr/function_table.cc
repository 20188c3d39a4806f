#include "expr/function_table.h"

namespace tessary {
namespace {

struct FunctionEntry {
  const char* name;
  std::int16_t parameters;
  bool clusterOnly;
};

constexpr FunctionEntry kFunctions[] = {
    {"ABS", 1, false},     {"ACOS", 1, false},       {"ALLMISSED", 0, false},
    {"ASIN", 1, false},    {"BOUNDING", 3, false},   {"CATEGORIZE", 1, false},
    {"CCOUNT", 0, true},   {"CCOUNTBY", 1, true},    {"CCOUNTON", 2, false},
    {"CERR", 1, true},     {"CERRBY", 2, true},      {"CERRON", 3, false},
    {"CFIRST", 1, true},   {"CFIRSTBY", 2, true},    {"CFIRSTON", 3, false},
    {"CGET", 2, true},     {"CMAX", 1, true},        {"CMAXBY", 2, true},
    {"CMAXON", 3, false},  {"CMEAN", 1, true},       {"CMEANBY", 2, true},
    {"CMEANON", 3, false}, {"CMIN", 1, true},        {"CMINBY", 2, true},
    {"CMINON", 3, false},  {"COS", 1, false},        {"COUNT", 0, false},
    {"CSERIAL", 1, true},  {"CSERIALBY", 2, true},   {"CSUM", 1, true},
    {"CSUMBY", 2, true},   {"CSUMON", 3, false},     {"ENCODE", 2, false},
    {"EXP", 1, false},     {"FACTOR", 1, false},     {"GMASK", 0, false},
    {"ICOUNT", 0, true},   {"IIF", 3, false},        {"INT", 1, false},
    {"ISDUP", 1, false},   {"ISFIRST", 1, false},    {"ISMISSING", 1, false},
    {"LCOUNT", 0, true},   {"LOG", 1, false},        {"LOOKUP", 2, false},
    {"MEAN", 1, false},    {"MIN", 1, false},        {"NA", 0, false},
    {"PCTL", 2, false},    {"RCOUNT", 0, true},      {"ROUND", 2, false},
    {"SEG", 3, false},     {"SETMISSING", 2, false}, {"SIN", 1, false},
    {"SQRT", 1, false},    {"SUM", 1, false},        {"VALUEOF", 1, false},
    {"WCMEAN", 2, true},   {"WCMEANBY", 3, true},    {"WCMEANON", 4, false},
    {"WCSUM", 2, true},    {"WCSUMBY", 3, true},     {"WCSUMON", 4, false},
    {"WMEAN", 2, false},   {"WSUM", 2, false},
};

FunctionTable makeTable(bool withClusterFunctions) {
  FunctionTable table;
  for (const FunctionEntry& entry : kFunctions)
    if (withClusterFunctions || !entry.clusterOnly) table.emplace(entry.name, entry.parameters);
  return table;
}

}  // namespace

const FunctionTable& builtInFunctions(bool withClusterFunctions) {
  static const FunctionTable withCluster = makeTable(true);
  static const FunctionTable withoutCluster = makeTable(false);
  return withClusterFunctions ? withCluster : withoutCluster;
}

}  // namespace tessary

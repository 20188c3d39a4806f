#include "expr/function_table.h"

#include <algorithm>

#include "expr/function_call.h"

namespace tessary {
namespace {

constexpr BuiltInFunction whole(std::string_view name, std::int16_t parameters,
                                FunctionHandler handler, Argument argument = Argument::kColumns) {
  return {name, parameters, Availability::kAlways, false, handler, argument};
}

constexpr BuiltInFunction perRecord(std::string_view name, std::int16_t parameters,
                                    FunctionHandler handler) {
  return {name, parameters, Availability::kAlways, true, handler};
}

// A cluster aggregate: the plain and BY forms need the cluster functions, the ON forms
// are always there. The counting forms start from a fresh column.
constexpr BuiltInFunction aggregate(std::string_view name, std::int16_t parameters,
                                    AggregateOperation op, Grouping grouping,
                                    bool weighted = false) {
  const bool counting = op == kAggregateCount || op == kAggregateSerial ||
                        op == kAggregateLevelCount || op == kAggregateIdentifierCount ||
                        op == kAggregateRecordCount;
  const Availability availability =
      grouping == Grouping::kOn ? Availability::kAlways : Availability::kCluster;
  return {name,
          parameters,
          availability,
          false,
          &builtin::aggregate,
          Argument::kColumns,
          {op, grouping, weighted, !counting}};
}

using enum Grouping;

constexpr BuiltInFunction kFunctions[] = {
    perRecord("ABS", 1, &builtin::absolute),
    perRecord("ACOS", 1, &builtin::arcCosine),
    whole("ALLMISSED", 0, &builtin::allMissed),
    perRecord("ASIN", 1, &builtin::arcSine),
    perRecord("BOUNDING", 3, &builtin::bound),
    whole("CATEGORIZE", 1, &builtin::categorize),
    aggregate("CCOUNT", 0, kAggregateCount, kPlain),
    aggregate("CCOUNTBY", 1, kAggregateCount, kBy),
    aggregate("CCOUNTON", 2, kAggregateCount, kOn),
    aggregate("CERR", 1, kAggregateError, kPlain),
    aggregate("CERRBY", 2, kAggregateError, kBy),
    aggregate("CERRON", 3, kAggregateError, kOn),
    aggregate("CFIRST", 1, kAggregateFirst, kPlain),
    aggregate("CFIRSTBY", 2, kAggregateFirst, kBy),
    aggregate("CFIRSTON", 3, kAggregateFirst, kOn),
    aggregate("CGET", 2, kAggregateGet, kPlain),
    aggregate("CMAX", 1, kAggregateMax, kPlain),
    aggregate("CMAXBY", 2, kAggregateMax, kBy),
    aggregate("CMAXON", 3, kAggregateMax, kOn),
    aggregate("CMEAN", 1, kAggregateMean, kPlain),
    aggregate("CMEANBY", 2, kAggregateMean, kBy),
    aggregate("CMEANON", 3, kAggregateMean, kOn),
    aggregate("CMIN", 1, kAggregateMin, kPlain),
    aggregate("CMINBY", 2, kAggregateMin, kBy),
    aggregate("CMINON", 3, kAggregateMin, kOn),
    perRecord("COS", 1, &builtin::cosine),
    perRecord("COUNT", 0, &builtin::count),
    aggregate("CSERIAL", 1, kAggregateSerial, kBy),
    aggregate("CSERIALBY", 2, kAggregateSerialBy, kBy),
    aggregate("CSUM", 1, kAggregateSum, kPlain),
    aggregate("CSUMBY", 2, kAggregateSum, kBy),
    aggregate("CSUMON", 3, kAggregateSum, kOn),
    whole("ENCODE", 2, &builtin::encode, Argument::kRule),
    perRecord("EXP", 1, &builtin::exponential),
    whole("FACTOR", 1, &builtin::categorize),
    whole("GMASK", 0, &builtin::globalMask),
    aggregate("ICOUNT", 0, kAggregateIdentifierCount, kPlain),
    perRecord("IIF", 3, &builtin::chooseIf),
    perRecord("INT", 1, &builtin::integerPart),
    whole("ISDUP", 1, &builtin::isDuplicate),
    whole("ISFIRST", 1, &builtin::isFirst),
    perRecord("ISMISSING", 1, &builtin::isMissing),
    aggregate("LCOUNT", 0, kAggregateLevelCount, kPlain),
    perRecord("LOG", 1, &builtin::logarithm),
    whole("LOOKUP", 2, &builtin::lookup, Argument::kTableName),
    whole("MEAN", 1, &builtin::mean),
    whole("MIN", 1, &builtin::minimum),
    perRecord("NA", 0, &builtin::missingValue),
    whole("PCTL", 2, &builtin::percentile),
    aggregate("RCOUNT", 0, kAggregateRecordCount, kPlain),
    perRecord("ROUND", 2, &builtin::round),
    perRecord("SEG", 3, &builtin::segment),
    whole("SETMISSING", 2, &builtin::setMissing, Argument::kRule),
    perRecord("SIN", 1, &builtin::sine),
    perRecord("SQRT", 1, &builtin::squareRoot),
    whole("SUM", 1, &builtin::sum),
    perRecord("VALUEOF", 1, &builtin::valueOf),
    aggregate("WCMEAN", 2, kAggregateMean, kPlain, true),
    aggregate("WCMEANBY", 3, kAggregateMean, kBy, true),
    aggregate("WCMEANON", 4, kAggregateMean, kOn, true),
    aggregate("WCSUM", 2, kAggregateSum, kPlain, true),
    aggregate("WCSUMBY", 3, kAggregateSum, kBy, true),
    aggregate("WCSUMON", 4, kAggregateSum, kOn, true),
    whole("WMEAN", 2, &builtin::weightedMean),
    whole("WSUM", 2, &builtin::weightedSum),
};
static_assert(std::ranges::is_sorted(kFunctions, {}, &BuiltInFunction::name));

}  // namespace

std::span<const BuiltInFunction> builtInFunctions() {
  return kFunctions;
}

const BuiltInFunction* findFunction(std::string_view name, bool withClusterFunctions) {
  const auto* found = std::ranges::lower_bound(kFunctions, name, {}, &BuiltInFunction::name);
  if (found == std::end(kFunctions) || found->name != name) return nullptr;
  if (found->availability == Availability::kCluster && !withClusterFunctions) return nullptr;
  return found;
}

}  // namespace tessary

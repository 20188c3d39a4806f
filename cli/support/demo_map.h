// The demo's districts on a map: a made-up country of one jittered quadrilateral per
// district (ten to a row), the census's mean log welfare per district drawn with
// `tessary map`, the districts aggregated into regions and linked by contiguity.
#pragma once

#include <cstdint>
#include <string>

namespace tessary::cli {

// Writes districts.shp/.dbf/.LMX, district_welfare.csv, welfare_map.svg and
// regions.shp/.dbf/.LMX into `directory` (ending in '/'); returns the account.
std::string writeDemoMap(const std::string& directory, const std::string& censusDaa,
                         const std::string& surveyDaa, std::uint64_t seed);

}  // namespace tessary::cli

// `tessary report`: one HTML page of a poverty map: the welfare model of a fit
// directory, the maps of the model-based headcount (FGT0) and of its coefficient of
// variation over the areas of a shape file, and the model-based estimates (tessary
// simulate) beside the direct ones (tessary direct), area by area, with their standard
// errors. Any part may be left out; the page needs at least one.
//
// Areas are matched by their text in the two estimates files, and to the shapes by
// number: an area whose text is a number is drawn on the shape whose GID equals it.
#pragma once

#include <string>

namespace tessary::cli {

struct ReportOptions {
  std::string fit;       // a `tessary fit` directory
  std::string simulate;  // a `tessary simulate` directory, or one of its .json files
  std::string direct;    // a `tessary direct` directory, or its estimates.json
  std::string shapes;    // a standard shape file of the areas (needs `simulate`)
  std::string title = "Poverty map";
  std::string out;  // the page
};

// Writes the page and returns the summary line (without a line feed).
std::string runReport(const ReportOptions& options);

}  // namespace tessary::cli

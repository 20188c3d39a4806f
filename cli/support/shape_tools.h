// `tessary shape`: what its subcommands do, through the library's shape and linkage
// functions. Each returns the account printed for the user and raises the tool's
// message on failure.
#pragma once

#include <cstdint>
#include <string>

namespace tessary::cli {

// A neighbourhood: kind 1 contiguity, 2 distance band (km), 3 k nearest, 4 inverse
// distance weights (exponent; smoothing only).
struct Neighbourhood {
  std::int32_t kind = 1;
  std::int32_t parameter = 1;
};

// What a neighbourhood is called in the tool's accounts ("contiguity", "a 50 km
// distance band", ...).
std::string describeNeighbourhood(const Neighbourhood& neighbourhood);

// The shape file, its attribute fields and, for a standard file, its areas,
// identifiers, bounds and linkage files.
std::string describeShapeFile(const std::string& path);

struct StandardizeOptions {
  std::string source, target, id, label;
  std::int32_t start = 0, length = 0;
};
std::string standardizeShapeFile(const StandardizeOptions& options);

struct AggregateOptions {
  std::string source, target, id = "GID", label = "Label";
  std::int32_t digits = 0;
};
std::string aggregateShapeFile(const AggregateOptions& options);

std::string linkShapeFile(const std::string& path, const Neighbourhood& neighbourhood);

struct SmoothOptions {
  std::string shapes, values, id, column, out;
  Neighbourhood neighbourhood;
};
// Writes out as CSV: GID, label, the value and the smoothed value per area.
std::string smoothAreaValues(const SmoothOptions& options);

}  // namespace tessary::cli

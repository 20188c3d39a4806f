// The library-wide missing value: positive infinity, stored when the library loads.
// A value is missing when it is not finite.
#pragma once

namespace tessary {

extern double MISSING;

}  // namespace tessary

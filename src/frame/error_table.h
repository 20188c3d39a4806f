// The numbered error messages shown by showErrorMessage.
#pragma once

#include <cstdint>

namespace tessary {

// The table text for `code`; "Unexpected error" for codes outside the table (0 too).
const char* errorCodeText(std::uint32_t code);

}  // namespace tessary

// Whether a standard stream reaches a terminal (progress displays draw only then).
#pragma once

namespace tessary {

bool standardErrorIsTerminal();

}  // namespace tessary

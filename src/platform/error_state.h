// The operating-system error state around a file operation: cleared before an
// operation whose short result must be told apart from a failure, and classified after.
#pragma once

namespace tessary {

// Resets the last operating-system error code to 0.
void clearSystemError();

// True when `code` says the file or a directory on its path does not exist.
bool isMissingFileError(int code);

// True when `code` says the system refused access (the Windows "access denied").
bool isAccessDeniedError(int code);

}  // namespace tessary

// Fault injection for tests: the file layer asks a hook before each operation that
// opens, changes or syncs a file, so a test can make that one operation fail as a full
// disk or a refused permission would, or stop the process there as a crash would.
// Without a hook every operation proceeds.
#pragma once

#include <functional>
#include <string_view>

namespace tessary {

enum class FileOperation {
  kOpenForReading,
  kOpenForWriting,  // any mode that may change the file
  kWrite,
  kSync,    // a file's or a directory's content made durable
  kRename,  // path names the destination
  kRemove,
};

// Returns 0 to let the operation proceed, or the error code it fails with.
using FaultHook = std::function<int(FileOperation operation, std::string_view path)>;

// Installs `hook` (an empty one removes it) and returns the one it replaces.
FaultHook setFaultHook(FaultHook hook);

// 0, or the error code the hook asks for; errno then holds that code.
int injectedFault(FileOperation operation, std::string_view path);

}  // namespace tessary

#include "platform/fault_injection.h"

#include <cerrno>
#include <utility>

namespace tessary {
namespace {

FaultHook& installedHook() {
  static FaultHook hook;
  return hook;
}

}  // namespace

FaultHook setFaultHook(FaultHook hook) {
  return std::exchange(installedHook(), std::move(hook));
}

int injectedFault(FileOperation operation, std::string_view path) {
  const FaultHook& hook = installedHook();
  if (!hook) return 0;
  const int code = hook(operation, path);
  if (code != 0) errno = code;
  return code;
}

}  // namespace tessary

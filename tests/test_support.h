// Shared test fixtures: a scratch directory, a recording message handler, environment
// overrides.
#pragma once

#include <string>
#include <vector>

#include "frame/failure.h"
#include "platform/fault_injection.h"
#include "platform/presenter.h"

namespace tessary::testing {

// A fresh directory, removed with everything in it at the end of the scope.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

// One message as the presenter received it.
struct ShownMessage {
  std::string text;
  std::string caption;
  unsigned int style;
};

// Installs itself as the message handler for its lifetime and records every message.
class MessageRecorder {
 public:
  explicit MessageRecorder(int answer = kIdOk);
  ~MessageRecorder();
  const std::vector<ShownMessage>& messages() const;
  void clear();

 private:
  MessageHandler previous_;
};

// Sets an environment variable for the scope, restoring the old value after.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);  // value nullptr unsets
  ~ScopedEnv();

 private:
  std::string name_;
  bool had_;
  std::string old_;
};

// Installs a fault hook for the scope, restoring the previous one after.
class ScopedFaultHook {
 public:
  explicit ScopedFaultHook(FaultHook hook) : previous_(setFaultHook(std::move(hook))) {}
  ~ScopedFaultHook() { setFaultHook(std::move(previous_)); }

 private:
  FaultHook previous_;
};

// A hook that fails every `operation` on a path containing `part` with `code`.
FaultHook failing(FileOperation operation, std::string part, int code);

// While one lives, every allocation of the calling thread through operator new or the
// column memory throws std::bad_alloc (the test program is linked with both wrapped).
class FailingAllocations {
 public:
  FailingAllocations();
  ~FailingAllocations();
};

// The text of the Failure `body` raises, or "(no failure)".
template <class Body>
std::string failureText(Body&& body) {
  try {
    body();
  } catch (const Failure& failure) {
    return failure.text();
  }
  return "(no failure)";
}

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

}  // namespace tessary::testing

#include "test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>

namespace tessary::testing {
namespace {

std::vector<ShownMessage> recorded;
int recordedAnswer = kIdOk;

int recordMessage(void*, const char* text, const char* caption, unsigned int style) {
  recorded.push_back({text, caption, style});
  return recordedAnswer;
}

thread_local bool allocationsFail = false;

}  // namespace

FaultHook failing(FileOperation operation, std::string part, int code) {
  return [=](FileOperation seen, std::string_view path) {
    return seen == operation && path.find(part) != std::string_view::npos ? code : 0;
  };
}

FailingAllocations::FailingAllocations() {
  allocationsFail = true;
}

FailingAllocations::~FailingAllocations() {
  allocationsFail = false;
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tessary-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::file(const std::string& name) const {
  return path_ + "/" + name;
}

MessageRecorder::MessageRecorder(int answer) {
  recorded.clear();
  recordedAnswer = answer;
  previous_ = setMessageHandler(recordMessage);
}

MessageRecorder::~MessageRecorder() {
  setMessageHandler(previous_);
}

const std::vector<ShownMessage>& MessageRecorder::messages() const {
  return recorded;
}

void MessageRecorder::clear() {
  recorded.clear();
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  if (value != nullptr)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    setenv(name_.c_str(), old_.c_str(), 1);
  else
    unsetenv(name_.c_str());
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace tessary::testing

// The wrapped allocation entry points (see tests/CMakeLists.txt).
extern "C" {
void* __real__Znwm(std::size_t bytes);
void* __real__ZN7tessary15mapColumnMemoryEm(std::size_t bytes);

void* __wrap__Znwm(std::size_t bytes) {
  if (tessary::testing::allocationsFail) throw std::bad_alloc();
  return __real__Znwm(bytes);
}

void* __wrap__ZN7tessary15mapColumnMemoryEm(std::size_t bytes) {
  if (tessary::testing::allocationsFail) throw std::bad_alloc();
  return __real__ZN7tessary15mapColumnMemoryEm(bytes);
}
}

#include "platform/parallel_threads.h"

#include <cblas.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/task_arena.h>

#include <charconv>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "frame/failure.h"

namespace tessary {
namespace {

// The workers of one thread count. A loop holds a reference for its whole run, so a
// change of count never pulls the arena from under it.
struct Workers {
  explicit Workers(int count) : threads(count), arena(count) {}
  int threads;
  tbb::task_arena arena;
};

struct Settings {
  std::mutex mutex;
  std::shared_ptr<Workers> workers;
  // oneTBB starts no more workers than this allows, however wide the arena.
  std::unique_ptr<tbb::global_control> limit;
};

// Never destroyed: a loop run from another object's destructor at exit still finds it.
Settings& settings() {
  static Settings* const shared = new Settings;
  return *shared;
}

thread_local int blockDepth = 0;

int environmentThreadCount() {
  const char* text = std::getenv("TESSARY_THREADS");
  if (text == nullptr || *text == '\0') return tbb::info::default_concurrency();
  std::string_view value(text);
  int count = 0;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
  throwUnless(error == std::errc() && end == value.data() + value.size() && count >= 1 &&
                  count <= kMaxThreads,
              "TESSARY_THREADS must be a whole number from 1 to " + std::to_string(kMaxThreads) +
                  ", not \"" + std::string(value) + "\"");
  return count;
}

// REQUIRES: settings().mutex held.
void install(Settings& state, int count) {
  state.limit.reset();  // the effective limit is the smallest of all live ones
  state.limit = std::make_unique<tbb::global_control>(tbb::global_control::max_allowed_parallelism,
                                                      static_cast<std::size_t>(count));
  state.workers = std::make_shared<Workers>(count);
  openblas_set_num_threads(1);
}

std::shared_ptr<Workers> currentWorkers() {
  Settings& state = settings();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.workers == nullptr) install(state, environmentThreadCount());
  return state.workers;
}

}  // namespace

int threadCount() {
  return currentWorkers()->threads;
}

void setThreadCount(int count) {
  throwUnless(count >= 1 && count <= kMaxThreads, "The number of threads must be from 1 to " +
                                                      std::to_string(kMaxThreads) + ", not " +
                                                      std::to_string(count));
  Settings& state = settings();
  std::lock_guard<std::mutex> lock(state.mutex);
  install(state, count);
}

void useEnvironmentThreadCount() {
  int count = environmentThreadCount();
  Settings& state = settings();
  std::lock_guard<std::mutex> lock(state.mutex);
  install(state, count);
}

bool insideBlock() {
  return blockDepth > 0;
}

ThreadedBlas::ThreadedBlas() : raised_(!insideBlock()) {
  int threads = threadCount();  // also settles OpenBLAS at one thread on first use
  if (raised_) openblas_set_num_threads(threads);
}

ThreadedBlas::~ThreadedBlas() {
  if (raised_) openblas_set_num_threads(1);
}

namespace parallel_detail {

BlockScope::BlockScope() {
  ++blockDepth;
}

BlockScope::~BlockScope() {
  --blockDepth;
}

void executeOnWorkers(void (*body)(void*), void* context) {
  std::shared_ptr<Workers> workers = currentWorkers();
  // Already inside the arena (a nested loop) this runs directly. Isolation keeps the
  // calling thread, while it waits for its blocks, from picking up blocks of other loops
  // (an outer one, another caller's) and piling them on its stack.
  workers->arena.execute([&] { tbb::this_task_arena::isolate([&] { body(context); }); });
}

}  // namespace parallel_detail
}  // namespace tessary

// How many threads the block loops of platform/parallel.h use, and how OpenBLAS shares
// them. This layer is the only code that starts threads: oneTBB workers in one arena owned
// here, sized by `TESSARY_THREADS` (default: every hardware thread the process may use) or
// by setThreadCount(). With one thread every loop runs inline on the calling thread.
//
// BLAS rule: OpenBLAS runs single-threaded, so a product inside a block never starts BLAS
// threads of its own on top of the block threads. A large product made outside every block
// may borrow the layer's threads for its duration with a ThreadedBlas scope. Both at once
// (threaded BLAS inside blocks) cannot happen: a ThreadedBlas created inside a block leaves
// OpenBLAS single-threaded.
#pragma once

namespace tessary {

// The most threads any setting may ask for.
inline constexpr int kMaxThreads = 1024;

// The number of threads loops use now. The first call reads `TESSARY_THREADS`; a value that
// is not a whole number from 1 to kMaxThreads raises a Failure.
int threadCount();

// Uses `count` threads from now on; raises a Failure when count is outside 1..kMaxThreads.
// Call it while no loop runs (at start-up, between runs): loops already running keep the
// threads they started with.
void setThreadCount(int count);

// Forgets any setThreadCount() and reads `TESSARY_THREADS` again.
void useEnvironmentThreadCount();

// True on a thread while it runs a block (or the in-order combining step) of a loop.
bool insideBlock();

// While one lives on a thread outside every block, OpenBLAS may use threadCount() threads;
// otherwise, and again once it is gone, OpenBLAS runs single-threaded. Scopes do not nest
// across threads: a host that calls the library from several threads at once should keep
// BLAS single-threaded (one thread).
class ThreadedBlas {
 public:
  ThreadedBlas();
  ~ThreadedBlas();
  ThreadedBlas(const ThreadedBlas&) = delete;
  ThreadedBlas& operator=(const ThreadedBlas&) = delete;

 private:
  bool raised_;
};

namespace parallel_detail {

// Marks the current thread as running a block for its lifetime.
class BlockScope {
 public:
  BlockScope();
  ~BlockScope();
  BlockScope(const BlockScope&) = delete;
  BlockScope& operator=(const BlockScope&) = delete;
};

// Runs body(context) inside the layer's arena, so the oneTBB algorithms it starts use the
// layer's threads; a nested call stays in the arena it is already in.
void executeOnWorkers(void (*body)(void*), void* context);

}  // namespace parallel_detail
}  // namespace tessary

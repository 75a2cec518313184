#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

// Work over a long list done side by side, one thread per core up to eight; short lists stay
// on the calling thread. The work must only read what the threads share.
namespace Parallel {

// How many threads a list of n gets when each is worth at least `floor` items.
inline std::size_t threadsFor(std::size_t n, std::size_t floor) {
  const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
  return std::clamp<std::size_t>(n / std::max<std::size_t>(floor, 1), 1, cores);
}

// Cuts [0, n) into blocks of `block` items and calls work(thread, blockIndex, begin, end)
// for each, on `threads` threads that take the next block as they finish one (a core busy
// with something else holds up no one). Thread 0 is the calling thread. Returns once all
// blocks are done.
template <class Work>
void forBlocks(std::size_t n, std::size_t block, std::size_t threads, Work&& work) {
  block = std::max<std::size_t>(block, 1);
  const std::size_t blocks = (n + block - 1) / block;
  threads = std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(blocks, 1));
  std::atomic<std::size_t> next{0};
  const auto run = [&](std::size_t thread) {
    for (std::size_t b; (b = next.fetch_add(1, std::memory_order_relaxed)) < blocks;)
      work(thread, b, b * block, std::min(n, (b + 1) * block));
  };
  std::vector<std::thread> workers;
  workers.reserve(threads - 1);
  for (std::size_t t = 1; t < threads; ++t) workers.emplace_back(run, t);
  run(0);
  for (std::thread& w : workers) w.join();
}

}  // namespace Parallel

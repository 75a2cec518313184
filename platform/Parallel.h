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

// std::stable_sort's order, made side by side: runs sorted on their own, then merged in
// pairs (a merge takes the left run's element first among equals, so ties keep their order).
template <class T, class Less>
void stableSort(std::vector<T>& items, Less less, std::size_t floor = 16384) {
  const std::size_t n = items.size();
  const std::size_t threads = threadsFor(n, floor);
  if (threads == 1) {
    std::stable_sort(items.begin(), items.end(), less);
    return;
  }
  std::size_t run = (n + threads - 1) / threads;
  const auto at = [&](std::size_t i) { return items.begin() + std::ptrdiff_t(std::min(n, i)); };
  forBlocks(n, run, threads, [&](std::size_t, std::size_t, std::size_t begin, std::size_t end) {
    std::stable_sort(at(begin), at(end), less);
  });
  std::vector<T> merged(n);
  for (; run < n; run *= 2) {
    const std::size_t pairs = (n + 2 * run - 1) / (2 * run);
    forBlocks(pairs, 1, threads, [&](std::size_t, std::size_t pair, std::size_t, std::size_t) {
      const std::size_t begin = pair * 2 * run;
      std::merge(std::make_move_iterator(at(begin)), std::make_move_iterator(at(begin + run)),
                 std::make_move_iterator(at(begin + run)),
                 std::make_move_iterator(at(begin + 2 * run)),
                 merged.begin() + std::ptrdiff_t(begin), less);
    });
    items.swap(merged);
  }
}

}  // namespace Parallel

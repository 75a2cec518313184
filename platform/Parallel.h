#pragma once

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

// Work over a long list cut into a few chunks done side by side, one per core up to eight;
// short lists stay on the calling thread. The work must only read what the chunks share.
namespace Parallel {

// How many chunks a list of n gets when each is worth at least `floor` items.
inline std::size_t chunksFor(std::size_t n, std::size_t floor) {
  const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
  return std::clamp<std::size_t>(n / std::max<std::size_t>(floor, 1), 1, cores);
}

// Calls work(chunk, begin, end) for `chunks` consecutive ranges covering [0, n); chunk 0
// runs on the calling thread. Returns once all are done.
template <class Work>
void forChunks(std::size_t n, std::size_t chunks, Work&& work) {
  chunks = std::max<std::size_t>(chunks, 1);
  const std::size_t step = (n + chunks - 1) / chunks;
  std::vector<std::thread> workers;
  workers.reserve(chunks - 1);
  for (std::size_t c = 1; c < chunks; ++c) {
    const std::size_t begin = std::min(n, c * step), end = std::min(n, begin + step);
    workers.emplace_back([&work, c, begin, end] { work(c, begin, end); });
  }
  work(std::size_t(0), std::size_t(0), std::min(n, step));
  for (std::thread& w : workers) w.join();
}

}  // namespace Parallel

#pragma once
// Runs independent jobs on a few threads: each thread takes the next job number until none is
// left. The jobs must not share anything they write.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace mosaic::tool {

template <typename Job>
void parallelFor(std::size_t count, int threads, const Job& job) {
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) job(i);
  };
  const int helpers = std::max(0, std::min<int>(threads, static_cast<int>(count)) - 1);
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(helpers));
  for (int t = 0; t < helpers; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
}

}  // namespace mosaic::tool

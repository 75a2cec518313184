// The main of the benchmarks that drive the real window: a QApplication on the offscreen
// platform around Google Benchmark's run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <vector>

#include "bench/GuiBench.h"

namespace {
std::vector<std::function<void()>>& releases() {
  static std::vector<std::function<void()>> list;
  return list;
}
}  // namespace

void guibench::releaseAtExit(std::function<void()> release) {
  releases().push_back(std::move(release));
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  while (!releases().empty()) {
    const auto release = std::move(releases().back());
    releases().pop_back();
    release();
  }
  return 0;
}

#include "bench/RatioReporter.h"

#include <cstdio>

namespace vk::bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& r : runs)
    if (r.run_type == Run::RT_Iteration) times_[r.benchmark_name()] = r.GetAdjustedCPUTime();
  ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  for (const auto& [ours, peer] : pairs_) {
    auto a = times_.find(ours), b = times_.find(peer);
    if (a == times_.end() || b == times_.end() || b->second <= 0) continue;
    std::printf("ratio %s / %s = %.3f\n", ours.c_str(), peer.c_str(), a->second / b->second);
  }
}

int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(std::move(pairs));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace vk::bench

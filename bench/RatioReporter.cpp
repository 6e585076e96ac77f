#include "bench/RatioReporter.h"

#include <cstdio>

namespace vk::bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& r : runs) {
    // A repeated benchmark is represented by its median. Those that time other processes
    // measure wall time (real or manual), their own CPU time being next to nothing.
    const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
    if (r.run_type != Run::RT_Iteration && !median) continue;
    const std::string& args = r.run_name.args;
    times_[r.run_name.function_name + (args.empty() ? "" : "/" + args)] =
        r.run_name.time_type.empty() ? r.GetAdjustedCPUTime() : r.GetAdjustedRealTime();
  }
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

namespace {
std::map<std::string, double>& Sizes() {
  static std::map<std::string, double> sizes;
  return sizes;
}
}  // namespace

void RecordSize(const std::string& benchmark, double bytes) { Sizes()[benchmark] = bytes; }

int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs,
                  const std::vector<std::pair<std::string, std::string>>& sizePairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(std::move(pairs));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const auto& [ours, peer] : sizePairs) {
    const double a = Sizes()[ours], b = Sizes()[peer];
    if (a > 0 && b > 0)
      std::printf("size ratio %s / %s: %.4f\n", ours.c_str(), peer.c_str(), a / b);
  }
  return 0;
}

}  // namespace vk::bench

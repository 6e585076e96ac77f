// Benchmarks measure the project against a peer in the same run, because the machines
// are shared and noisy: absolute times mean little, ratios do.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vk::bench {

// Prints the usual table, then for each (ours, peer) pair of benchmark names the ratio
// of their CPU times (less disturbed by other work on the machine than wall time), or of
// their wall times for benchmarks that measure real or manual time; a repeated benchmark
// counts with its median. Below 1 means ours is faster.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs)
      : pairs_(std::move(pairs)) {}
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
  std::map<std::string, double> times_;
};

// Records the size of what a benchmark made (an archive), by benchmark name.
void RecordSize(const std::string& benchmark, double bytes);

// Runs every registered benchmark with a RatioReporter over `pairs`, then prints the ratio
// of the recorded sizes for each of `sizePairs` whose sizes were both recorded.
int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs,
                  const std::vector<std::pair<std::string, std::string>>& sizePairs = {});

}  // namespace vk::bench

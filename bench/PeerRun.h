// What the benchmarks that time whole programs share: running a program quietly and timing
// it by the wall clock, the work happening in the child rather than in the benchmark.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

namespace vk::bench {

// Runs argv (argv[0] looked up in PATH) with every standard stream on /dev/null; answers the
// exit status, -1 when the program could not be started or was ended by a signal.
int RunQuietly(const std::vector<std::string>& argv);

// Runs argv once with RunQuietly and records its wall time as the iteration's manual time.
// When it does not exit with 0 the benchmark is ended with an error naming the program, and
// false is answered.
bool TimeRun(benchmark::State& state, const std::vector<std::string>& argv);

// Seven single runs timed by the wall clock; their median stands for the benchmark.
void SevenTimedRuns(benchmark::internal::Benchmark* b);

// `command` with each "{name}" in its words replaced by the value `names` gives it.
std::vector<std::string> Expand(const std::vector<std::string>& command,
                                const std::vector<std::pair<std::string, std::string>>& names);

// A new empty folder in the system's temporary folder (TMPDIR, else /tmp); "" when none
// could be made.
std::string MakeScratchFolder();

}  // namespace vk::bench

// What the benchmarks that time whole programs share: running a program quietly and timing
// it by the wall clock, the work happening in the child rather than in the benchmark.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
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

// The file or folder `name` in the build tree's work folder, made by `make` on the first run
// and kept for the next ones. `make` writes to the path it is given (`name` with ".part"
// before its extension: archivers add an extension to a name without one) and answers
// whether it succeeded; "" when it did not.
std::string MadeOnce(const std::string& name,
                     const std::function<bool(const std::string& part)>& make);

// A new empty folder in the system's temporary folder (TMPDIR, else /tmp); "" when none
// could be made.
std::string MakeScratchFolder();

// Each iteration: `command` timed by TimeRun in a new scratch folder, with "{folder}" and
// "{archive}" (folder/out.zip) after the caller's own names (which win); `look` sees the folder
// after a run that succeeded, before the folder is removed and written back (so that the next run's
// time does not take the write-back).
void TimeInScratchFolders(benchmark::State& state, const std::vector<std::string>& command,
                          std::vector<std::pair<std::string, std::string>> names,
                          const std::function<void(const std::string& folder)>& look = {});

// TimeInScratchFolders, recording the size of `output` in the folder (RecordSize) under
// `benchmark`.
void TimeAndMeasure(benchmark::State& state, const std::string& benchmark,
                    const std::vector<std::string>& command,
                    std::vector<std::pair<std::string, std::string>> names,
                    const std::string& output = "out.zip");

// A copy of `sources` (files or folders, links followed) in the work folder's `name`, made
// once; cp reports dangling links and goes on, and what it copied is the tree.
std::string CopiedTreeMadeOnce(const std::string& name, const std::vector<std::string>& sources);

// The archive `name` in the work folder, written once by `vorelkit-cli add ARCHIVE args...`
// run in `tree` so that its names are relative; "" when it could not be made.
std::string TreeArchiveMadeOnce(const std::string& name, const std::string& tree,
                                const std::vector<std::string>& args);

// TimeInScratchFolders with `input` named `key` in the command; ends the benchmark with an
// error when the input could not be made (is "").
void TimeOver(benchmark::State& state, const std::vector<std::string>& command,
              const std::string& key, const std::string& input);

// Runs `work` with `folder` as the current folder (so that archivers store relative names),
// then returns to the folder it was in.
void InFolder(const std::string& folder, const std::function<void()>& work);

}  // namespace vk::bench

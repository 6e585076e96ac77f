#include "bench/PeerRun.h"

#include "bench/RatioReporter.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <system_error>

extern char** environ;

namespace vk::bench {

int RunQuietly(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool TimeRun(benchmark::State& state, const std::vector<std::string>& argv) {
  const auto start = std::chrono::steady_clock::now();
  const int status = RunQuietly(argv);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (status != 0) {
    state.SkipWithError((argv[0] + (status < 0 ? " could not be run" : " failed")).c_str());
    return false;
  }
  state.SetIterationTime(took.count());
  return true;
}

void SevenTimedRuns(benchmark::internal::Benchmark* b) {
  b->UseManualTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(
      benchmark::kMillisecond);
}

std::vector<std::string> Expand(const std::vector<std::string>& command,
                                const std::vector<std::pair<std::string, std::string>>& names) {
  std::vector<std::string> argv;
  for (std::string arg : command) {
    for (const auto& [name, value] : names) {
      const std::string key = "{" + name + "}";
      for (size_t at = arg.find(key); at != std::string::npos;
           at = arg.find(key, at + value.size()))
        arg.replace(at, key.size(), value);
    }
    argv.push_back(std::move(arg));
  }
  return argv;
}

std::string MadeOnce(const std::string& name,
                     const std::function<bool(const std::string& part)>& make) {
  namespace fs = std::filesystem;
  const fs::path path = fs::path(VK_BENCH_WORK_DIR) / name;
  if (fs::exists(path)) return path.string();
  fs::path part = path;
  part.replace_filename(path.stem().string() + ".part" + path.extension().string());
  std::error_code error;
  fs::remove_all(part, error);
  if (!make(part.string())) return {};
  fs::rename(part, path, error);
  return error ? std::string() : path.string();
}

std::string MakeScratchFolder() {
  std::error_code error;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  if (error) return {};
  std::string folder = (temp / "vk-bench-XXXXXX").string();
  return mkdtemp(folder.data()) ? folder : std::string();
}

void TimeInScratchFolders(benchmark::State& state, const std::vector<std::string>& command,
                          std::vector<std::pair<std::string, std::string>> names,
                          const std::function<void(const std::string& folder)>& look) {
  for (auto _ : state) {
    const std::string folder = MakeScratchFolder();
    if (folder.empty()) {
      state.SkipWithError("could not make a scratch folder");
      break;
    }
    auto named = names;
    named.push_back({"folder", folder});
    named.push_back({"archive", folder + "/out.zip"});
    const bool ran = TimeRun(state, Expand(command, named));
    if (ran && look) look(folder);
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    sync();
    if (!ran) break;
  }
}

void TimeAndMeasure(benchmark::State& state, const std::string& benchmark,
                    const std::vector<std::string>& command,
                    std::vector<std::pair<std::string, std::string>> names,
                    const std::string& output) {
  double size = 0;
  TimeInScratchFolders(state, command, std::move(names), [&](const std::string& folder) {
    std::error_code error;
    size = double(std::filesystem::file_size(folder + "/" + output, error));
  });
  state.counters["bytes"] = size;
  RecordSize(benchmark, size);
}

std::string CopiedTreeMadeOnce(const std::string& name, const std::vector<std::string>& sources) {
  return MadeOnce(name, [&](const std::string& part) {
    std::filesystem::create_directories(part);
    for (const std::string& source : sources) RunQuietly({"cp", "-rL", source, part});
    return true;
  });
}

std::string TreeArchiveMadeOnce(const std::string& name, const std::string& tree,
                                const std::vector<std::string>& args) {
  return MadeOnce(name, [&](const std::string& part) {
    if (tree.empty()) return false;
    std::vector<std::string> command = {VK_CLI_PATH, "add", part};
    command.insert(command.end(), args.begin(), args.end());
    bool made = false;
    InFolder(tree, [&] { made = RunQuietly(command) == 0; });
    return made;
  });
}

void TimeOver(benchmark::State& state, const std::vector<std::string>& command,
              const std::string& key, const std::string& input) {
  if (input.empty()) {
    state.SkipWithError(("could not make the " + key).c_str());
    return;
  }
  TimeInScratchFolders(state, command, {{key, input}});
}

void InFolder(const std::string& folder, const std::function<void()>& work) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  work();
  std::filesystem::current_path(before);
}

}  // namespace vk::bench

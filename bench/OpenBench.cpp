// Opening a ZIP of 200,000 entries in the window, on the offscreen platform: the time from
// asking the window to open it until the list is painted, and the window's peak memory per
// entry, against `vorelkit-cli list --tsv` listing the same archive. Each window runs in a
// child process (this program again, with --window) so that its memory is its own.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/core/AppSettings.h"
#include "app/gui/MainForm.h"
#include "bench/ManyEntriesZip.h"
#include "bench/PeerRun.h"
#include "bench/RatioReporter.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipImage.h"

namespace {

struct TWindowRun {
  double seconds = 0;
  long peakKiB = 0;
};

// The child: opens `archive` in a fresh window and prints the seconds it took and its peak
// memory in KiB.
int WindowMain(int argc, char** argv, const char* archive, bool explorer) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir settingsFolder;
  vk::app::TAppSettings settings(settingsFolder.filePath("Settings.ini"));
  settings.ExplorerView = explorer;
  settings.FavoriteOptions = 2;
  vk::app::UseAppSettings(&settings);
  {
    vk::gui::TMainForm form(vk::app::TStartCommand{}, false);
    form.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    form.OpenArchive(QString::fromLocal8Bit(archive));
    form.repaint();
    QApplication::processEvents();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.6f %ld\n", seconds, usage.ru_maxrss);
  }
  vk::app::UseAppSettings(nullptr);
  return 0;
}

TWindowRun RunWindow(const std::string& archive, bool explorer) {
  const qel::test::ToolRun child =
      qel::test::RunTool({"/proc/" + std::to_string(getpid()) + "/exe",
                          explorer ? "--window-explorer" : "--window", archive});
  TWindowRun run;
  if (std::sscanf(child.out.c_str(), "%lf %ld", &run.seconds, &run.peakKiB) != 2) run = {};
  return run;
}

// A one-entry archive: what the window costs without the entries.
const std::string& SmallArchive() {
  static const std::string path = [] {
    const std::string file = std::string(VK_BENCH_WORK_DIR) + "/one-entry.zip";
    const qel::test::Bytes bytes = qel::test::BuildStoredZip({{"one.txt", "one\n"}}, {}).bytes;
    FILE* f = std::fopen(file.c_str(), "wb");
    if (f) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    return file;
  }();
  return path;
}

void BM_Open(benchmark::State& state, bool explorer) {
  const std::string& archive = vk::bench::ManyEntriesZip(VK_BENCH_WORK_DIR);
  const long baseKiB = RunWindow(SmallArchive(), explorer).peakKiB;
  long peakKiB = 0;
  for (auto _ : state) {
    const TWindowRun run = RunWindow(archive, explorer);
    if (run.seconds <= 0) {
      state.SkipWithError("the window did not report");
      break;
    }
    state.SetIterationTime(run.seconds);
    peakKiB = std::max(peakKiB, run.peakKiB);
  }
  state.counters["bytes_per_entry"] =
      double(peakKiB - baseKiB) * 1024.0 / double(vk::bench::kManyEntries);
}

void BM_CliList(benchmark::State& state) {
  const std::vector<std::string> argv = {VK_CLI_PATH, "list", "--tsv",
                                         vk::bench::ManyEntriesZip(VK_BENCH_WORK_DIR)};
  for (auto _ : state) {
    if (!vk::bench::TimeRun(state, argv)) break;
  }
}

BENCHMARK_CAPTURE(BM_Open, Classic, false)->Apply(vk::bench::SevenTimedRuns);
BENCHMARK_CAPTURE(BM_Open, Explorer, true)->Apply(vk::bench::SevenTimedRuns);
BENCHMARK(BM_CliList)->Apply(vk::bench::SevenTimedRuns);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 &&
      (std::string(argv[1]) == "--window" || std::string(argv[1]) == "--window-explorer"))
    return WindowMain(1, argv, argv[2], std::string(argv[1]) == "--window-explorer");
  return vk::bench::RunWithRatios(
      argc, argv, {{"BM_Open/Classic", "BM_CliList"}, {"BM_Open/Explorer", "BM_CliList"}});
}

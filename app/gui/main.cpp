// The window program. A start either opens the main window (optionally with an archive) or
// runs one job of the shell integration without it; either way the settings are written
// when the program ends.
#include "app/core/AppSettings.h"
#include "app/core/StartCommand.h"
#include "app/gui/Application.h"
#include "app/gui/MainForm.h"
#include "app/gui/OneShotJobs.h"

namespace {

// A job of the shell integration runs where there is no display too (over ssh, from a
// script): it reports on the terminal then, instead of failing to reach a display.
void UseTerminalWithoutDisplay(int argc, char** argv) {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    if (qEnvironmentVariableIsSet(name)) return;
  QStringList params;
  for (int i = 1; i < argc; ++i) params << QString::fromLocal8Bit(argv[i]);
  if (vk::app::ParseCommandLine(params, false).Hidden) qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace

int main(int argc, char** argv) {
  UseTerminalWithoutDisplay(argc, argv);
  vk::gui::TApplication app(argc, argv);
  QCoreApplication::setApplicationName("Vorelkit");
  QCoreApplication::setApplicationVersion("0.1");
  vk::app::TAppSettings& settings = vk::app::AppSettings();

  const QStringList params = QCoreApplication::arguments().mid(1);
  const vk::app::TStartCommand start = vk::app::ParseCommandLine(params, settings.DCExtract);
  // A job ends the program when it is done, so the event loop never starts for it.
  if (start.Hidden) return vk::gui::RunOneShotJob(start);

  vk::gui::TMainForm window(start, settings.Reuse);
  if (!window.InstanceAllowed()) return 0;  // handed over to the running window
  window.show();
  return app.exec();
}

// The window program. A start either opens the main window (optionally with an archive) or
// runs one job of the shell integration without it; either way the settings are written
// when the program ends.
#include <unistd.h>

#include <QByteArray>
#include <iostream>
#include <string_view>
#include <vector>

#include "app/core/AboutText.h"
#include "app/core/AppSettings.h"
#include "app/core/ProgramHelp.h"
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

// Qt ends a start that reaches no display with an abort and a core dump. While the
// application starts, Qt's messages are held: a fatal one ends the program with one line
// naming the first reason given and status 2; otherwise they go out as usual afterwards.
struct THeldMessage {
  QtMsgType type;
  QByteArray category;
  QString text;
};
std::vector<THeldMessage> g_held;

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    g_held.push_back({type, context.category, text});
    return;
  }
  const QString reason = (g_held.empty() ? text : g_held.front().text).trimmed();
  std::cerr << "vorelkit: cannot open the window without a display (" << reason.toStdString() << ")"
            << std::endl;
  ::_exit(2);
}

void ReleaseStartMessages(QtMessageHandler previous) {
  qInstallMessageHandler(previous);
  for (const THeldMessage& m : g_held)
    previous(m.type, QMessageLogContext(nullptr, 0, nullptr, m.category.constData()), m.text);
  g_held.clear();
}

}  // namespace

int main(int argc, char** argv) {
  // Asked of every program on a terminal, and answered without a display.
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << vk::app::ProgramHelpText();
    return 0;
  }
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::cout << vk::app::ProgramVersionText();
    return 0;
  }
  UseTerminalWithoutDisplay(argc, argv);
  const QtMessageHandler previous = qInstallMessageHandler(HoldStartMessage);
  vk::gui::TApplication app(argc, argv);
  ReleaseStartMessages(previous);
  QCoreApplication::setApplicationName("Vorelkit");
  QCoreApplication::setApplicationVersion(vk::app::ProgramVersion());
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

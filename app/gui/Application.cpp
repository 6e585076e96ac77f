#include "app/gui/Application.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QIcon>
#include <QSocketNotifier>
#include <exception>
#include <iostream>

namespace vk::gui {
namespace {

int g_signalPipe[2] = {-1, -1};

void OnEndSignal(int) {
  const char byte = 1;
  // Only an async-signal-safe write here; the event loop does the rest.
  [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Every window shows the icon the desktop shows for the program.
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/vorelkit-%1.png").arg(size), QSize(size, size));
  setWindowIcon(icon);
  setDesktopFileName(QStringLiteral("vorelkit"));
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [] {
    char byte;
    [[maybe_unused]] ssize_t n = ::read(g_signalPipe[0], &byte, 1);
    closeAllWindows();
    quit();
  });
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  // No error box for these, as users of the program know it; but written down, not lost.
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    std::cerr << "vorelkit: unhandled error: " << e.what() << std::endl;
  } catch (...) {
    std::cerr << "vorelkit: unhandled error" << std::endl;
  }
  return false;
}

}  // namespace vk::gui

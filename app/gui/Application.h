// The QApplication of the window program: exceptions that reach the event loop from a
// handler are caught here, so that one failing command never ends the program; and a
// request to end (SIGTERM, SIGINT, SIGHUP, as at logout) closes the windows the ordinary
// way, so that the view state and the settings are saved.
#pragma once

#include <QApplication>

namespace vk::gui {

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace vk::gui

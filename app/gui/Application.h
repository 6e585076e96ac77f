// The QApplication of the window program: exceptions that reach the event loop from a
// handler are caught here, so that one failing command never ends the program.
#pragma once

#include <QApplication>

namespace vk::gui {

class TApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace vk::gui

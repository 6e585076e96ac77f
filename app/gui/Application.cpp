#include "app/gui/Application.h"

#include <exception>
#include <iostream>

namespace vk::gui {

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

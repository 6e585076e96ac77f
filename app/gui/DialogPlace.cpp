#include "app/gui/DialogPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/core/AppSettings.h"
#include "app/core/IniFile.h"
#include "app/core/WindowGeometry.h"

namespace vk::gui {

void RestorePlace(QWidget* window, QSize designed) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize area = screen ? screen->availableGeometry().size() : QSize(1024, 768);
  const app::TWindowRect rect =
      app::DialogRect(app::AppSettings().ReadFile(), window->objectName(), designed, area);
  window->setGeometry(rect.Left, rect.Top, rect.Width, rect.Height);
}

void StorePlace(const QWidget* window) {
  const QRect place = window->geometry();
  const app::TWindowRect rect{place.left(), place.top(), place.width(), place.height()};
  app::AppSettings().UpdateFile(
      [&](app::TIniFile& ini) { app::WriteDialogRect(ini, window->objectName(), rect); });
}

}  // namespace vk::gui

#include "app/core/WindowGeometry.h"

#include "app/core/AppSettings.h"
#include "app/core/IniFields.h"
#include "app/core/IniFile.h"

namespace vk::app {

TWindowRect CentredRect(QSize size, QSize screen) {
  return {screen.width() / 2 - size.width() / 2, screen.height() / 2 - size.height() / 2,
          size.width(), size.height()};
}

TWindowRect MainWindowRect(const TAppSettings& settings, QSize builtIn, QSize screen) {
  if (settings.FirstRun || settings.Width <= 0 || settings.Height <= 0)
    return CentredRect(builtIn, screen);
  const QSize size(settings.Width, settings.Height);
  if (screen.width() < settings.Left || screen.height() < settings.Top)
    return CentredRect(size, screen);
  return {settings.Left, settings.Top, size.width(), size.height()};
}

TWindowRect DialogRect(const TIniFile& ini, const QString& section, QSize designed, QSize screen) {
  if (!ini.HasSection(section)) return CentredRect(designed, screen);
  const TIniFieldReader io(ini);
  TWindowRect r;
  io.Int(section, "Left", r.Left, 100);
  io.Int(section, "Top", r.Top, 100);
  io.Int(section, "Width", r.Width, 300);
  io.Int(section, "Height", r.Height, 200);
  if (r.Width <= 0 || r.Height <= 0) {
    r.Width = 300;
    r.Height = 200;
  }
  return r;
}

void WriteDialogRect(TIniFile& ini, const QString& section, const TWindowRect& rect) {
  ini.WriteInteger(section, "Left", rect.Left);
  ini.WriteInteger(section, "Top", rect.Top);
  ini.WriteInteger(section, "Width", rect.Width);
  ini.WriteInteger(section, "Height", rect.Height);
}

}  // namespace vk::app

// Where windows open and how dialogs keep their place in Settings.ini. Plain rectangles
// here; the window layer applies them.
#pragma once

#include <QSize>
#include <QString>

namespace vk::app {

class TAppSettings;
class TIniFile;

struct TWindowRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;

  bool operator==(const TWindowRect&) const = default;
};

// A window of `size` in the middle of a screen of `screen`.
TWindowRect CentredRect(QSize size, QSize screen);

// The main window: on first run, and when no positive size was ever stored, its built-in
// size centred; otherwise the stored size, at the stored place when the screen reaches that
// far, centred when it does not.
TWindowRect MainWindowRect(const TAppSettings& settings, QSize builtIn, QSize screen);

// A dialog that keeps its place in the section named after it: the section's Left, Top,
// Width and Height (100, 100, 300, 200 for missing ones, and 300 x 200 for a size that is
// not positive) when the section exists, even when it holds only other keys of the dialog;
// otherwise its designed size centred.
TWindowRect DialogRect(const TIniFile& ini, const QString& section, QSize designed, QSize screen);
void WriteDialogRect(TIniFile& ini, const QString& section, const TWindowRect& rect);

}  // namespace vk::app

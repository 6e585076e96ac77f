// Handing a file to a program of the desktop: the program the desktop opens files of its
// type with, or a named program (a viewer) that is run with the file and may be waited for.
// Programs are started with an argument list, never through a shell.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace vk::app {

struct TLaunch {
  QString File;
  // Empty: the desktop's program for File's type. Otherwise run with Arguments.
  QString Program;
  QStringList Arguments;
  bool Wait = true;  // until the program has ended (never through xdg-open)
};

// True when the program started (and, when waited for, has ended); otherwise `error` holds
// the system's reason. The seam the commands hand files through, so that tests can watch.
using TLauncher = std::function<bool(const TLaunch& launch, QString& error)>;

// The desktop's launcher. Its own program for the file's type (by "xdg-mime" and the
// program's desktop entry) is run as a named program; only when the desktop names none
// does "xdg-open" hand the file over, returning at once, so that nothing can be waited for.
// A named program is a child process waited for in an event loop that ends with it or when
// the application quits (the program then runs on). Many programs hand the file to a copy
// of themselves already running and end at once: a caller that wants the edits watches
// the file after the launch too.
bool LaunchProgram(const TLaunch& launch, QString& error);

// Whether a viewer setting names the stand-in for the desktop's text editor: "Notepad", in
// any case, with or without ".exe".
bool IsTextEditorStandIn(const QString& viewer);

// The Exec line of the [Desktop Entry] group of a desktop file's text; empty without one.
QString DesktopEntryExec(const QString& desktopFile);
// A desktop entry's Exec line as a program and its arguments for `file`: quoted arguments
// are unquoted, the file-name codes (%f %F %u %U) become the file, the other codes go, and
// "%%" is a "%"; without a file-name code the file comes last.
QStringList DesktopExecCommand(const QString& exec, const QString& file);

// The program and arguments that show `file` in `viewer`. The text-editor stand-in is the
// desktop's program for plain text ("xdg-mime query default text/plain"), run directly so
// that it can be waited for; empty when the desktop names none (the caller then uses the
// desktop's program for the file). Any other viewer is run with the file.
QStringList ViewerCommand(const QString& viewer, const QString& file);

}  // namespace vk::app

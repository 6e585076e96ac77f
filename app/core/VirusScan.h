// The virus scan of the open archive with an outside scanner: the VirusScanner setting names
// the program, VSParams its parameters with "%f" for the archive.
#pragma once

#include <QString>
#include <QStringList>

#include "app/core/ProgramLauncher.h"

namespace vk::app {

// The scanner: the setting when it names an executable file by its full path, else the
// program of that name on the search path; empty when there is none.
QString FindVirusScanner(const QString& setting);

// VSParams split into arguments as a shell splits words (quotes keep spaces together), with
// "%f" replaced by the archive in every one. The archive's name is never part of a line any
// program parses again.
QStringList VirusScanArguments(const QString& params, const QString& archive);

// The desktop's terminal ("x-terminal-emulator" on the search path); empty without one.
QString FindTerminal();

// The scanner run in `terminal`, which stays open after it until a key is pressed. The
// scanner and its arguments are the arguments of a fixed script, never part of it.
TLaunch TerminalLaunch(const QString& terminal, const QString& archive, const QString& scanner,
                       const QStringList& arguments);

// Runs `program` from its own folder and waits for it while events are processed; its
// output and errors come back merged. False with `error` when it could not be started.
bool RunCaptured(const QString& program, const QStringList& arguments, QString& output,
                 QString& error);

}  // namespace vk::app

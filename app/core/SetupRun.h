// Install: the archive's setup program, extracted into a private temporary folder, run and
// waited for before the folder goes.
#pragma once

#include <QString>

#include "app/core/ProgramLauncher.h"
#include "app/core/ShellItemStore.h"

namespace vk::app {

// The first listed file with a setup name, as its path inside the archive ("disk1/SETUP.EXE");
// empty when there is none.
QString SetupEntry(const TShellItemStore& files);

struct TSetupRun {
  TLaunch Launch;
  // False when the desktop's program takes the file: it may hand it on and return at once.
  bool Waited = true;
};

// How `file` is run: a file one may execute directly, from its own folder; a Windows program
// through wine when that is installed; anything else handed to the desktop's program.
TSetupRun SetupLaunch(const QString& file);

}  // namespace vk::app

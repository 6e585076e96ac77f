// Where the program keeps what it needs: beside its executable, as a portable program
// does, except Settings.ini when that folder cannot be written.
#pragma once

#include <QString>

namespace vk::app {

// The folder of the running executable, with a trailing "/".
QString ProgramFolder();

// Settings.ini beside the executable, or in $XDG_CONFIG_HOME/vorelkit/ (default
// ~/.config/vorelkit/) when the executable's folder cannot be written or is the installed
// one (lib/vorelkit/); that folder is created when needed.
QString SettingsFilePath();

// The language files' folder ("Languages/" beside the executable).
QString LanguagesFolder();

// Overrides the program folder (tests run the application from their own build folder).
void SetProgramFolderForTests(const QString& folder);

}  // namespace vk::app

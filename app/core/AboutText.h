// What Help, About shows: the program's name and version, the libraries it runs on, and
// the active translation's own information.
#pragma once

#include <QString>

namespace vk::app {

QString AboutText();
// The program's version, as the About box and --version show it.
QString ProgramVersion();

}  // namespace vk::app

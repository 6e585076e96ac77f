// File names the lists mark: readme files, setup programs and other programs.
#pragma once

#include <QString>

#include "app/core/ShellItemStore.h"

namespace vk::app {

enum class TNameKind { Other, Readme, Setup, Program };

// The kind of a bare file name, ignoring case: README.TXT/.RTF/.DOC, SETUP or INSTALL with
// .EXE or .MSI, any other .EXE or .COM.
TNameKind NameKind(const QString& name);
// True when one of the listed files is a setup program: Install is offered instead of
// CheckOut.
bool HasSetupFile(const TShellItemStore& files);

}  // namespace vk::app

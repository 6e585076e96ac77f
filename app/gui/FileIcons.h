// The icons of the entry lists, looked up by file name only (entries are not on disk) and
// kept by index, so a row remembers its icon in one integer and each kind of name is
// looked up once.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <vector>

#include "app/core/ShellItem.h"

namespace vk::gui {

class TFileIcons {
 public:
  TFileIcons();
  // The icon index of a row: the folder icon for folder rows, the readme, setup and
  // program icons for those names, else the system's icon for the name's type.
  int IndexFor(const app::TShellItem& item);
  const QIcon& At(int index) const { return icons_[size_t(index)]; }
  const QIcon& FolderIcon() const { return icons_[kFolderIcon]; }

 private:
  enum { kFolderIcon, kReadmeIcon, kSetupIcon, kProgramIcon, kFileIcon, kFixedIcons };
  std::vector<QIcon> icons_;
  QHash<QString, int> byExtension_;  // by ExtensionKey
};

}  // namespace vk::gui

#include "app/gui/FileIcons.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

#include "app/core/FileTypes.h"
#include "app/core/MarkedNames.h"

namespace vk::gui {
namespace {

// A themed icon, else the first fallback that exists: themes may be missing altogether.
QIcon Themed(std::initializer_list<const char*> names, const QIcon& fallback) {
  for (const char* name : names)
    if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
  return fallback;
}

}  // namespace

TFileIcons::TFileIcons() {
  QFileIconProvider provider;
  const QIcon file = provider.icon(QAbstractFileIconProvider::File);
  icons_.resize(kFixedIcons);
  icons_[kFolderIcon] = provider.icon(QAbstractFileIconProvider::Folder);
  icons_[kReadmeIcon] = Themed({"text-x-readme", "text-x-generic"}, file);
  icons_[kSetupIcon] = Themed({"system-software-install", "package-x-generic"}, file);
  icons_[kProgramIcon] =
      Themed({"application-x-executable", "application-x-ms-dos-executable"}, file);
  icons_[kFileIcon] = file;
}

int TFileIcons::IndexFor(const app::TShellItem& item) {
  if (item.IsFolder()) return kFolderIcon;
  switch (app::NameKind(item.Name)) {
    case app::TNameKind::Readme:
      return kReadmeIcon;
    case app::TNameKind::Setup:
      return kSetupIcon;
    case app::TNameKind::Program:
      return kProgramIcon;
    case app::TNameKind::Other:
      break;
  }
  const QString key = app::ExtensionKey(item.Name);
  if (key.isEmpty()) return kFileIcon;
  if (auto it = byExtension_.constFind(key); it != byExtension_.constEnd()) return *it;
  const QMimeType type = app::MimeTypeOfKey(QMimeDatabase(), key);
  int index = kFileIcon;
  if (!type.isDefault()) {
    const QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (!icon.isNull()) {
      index = int(icons_.size());
      icons_.push_back(icon);
    }
  }
  byExtension_.insert(key, index);
  return index;
}

}  // namespace vk::gui

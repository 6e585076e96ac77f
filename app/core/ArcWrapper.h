// TArc: a component around an archiver library of its own (7-Zip, BGA, YZ1...). The add
// dialogs prepare one as they prepare an engine writer: the files, the folder they are taken
// from, the level and method, the password. No library is bound in this edition, so the
// commands refuse to run one (ComponentType(kind).Available).
#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>
#include <string>

#include "app/core/ComponentKinds.h"

namespace vk::app {

class TArc {
 public:
  explicit TArc(TComponentKind kind) : ArchiveKind(kind) {}

  const TComponentKind ArchiveKind;
  QString ArchiveName;
  QStringList FileList;
  bool Solid = false;
  std::string Password;  // UTF-8 bytes
  bool PasswordSupported() const { return ArchiveKind == TComponentKind::SevenZip; }
  // 7-Zip: 0 LZMA, 1 LZMA2, 2 PPMd; BGA: 0 BZA, 1 GZA.
  int CompressionMethod = 0;

  // Always ends with "/".
  const QString& WorkingFolder() const { return workingFolder_; }
  void SetWorkingFolder(const QString& folder) {
    workingFolder_ = folder.endsWith('/') ? folder : folder + '/';
  }
  // 0 to 9.
  int CompressionLevel() const { return level_; }
  void SetCompressionLevel(int level) { level_ = std::clamp(level, 0, 9); }

 private:
  QString workingFolder_;
  int level_ = 6;
};

}  // namespace vk::app

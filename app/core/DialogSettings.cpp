#include "app/core/DialogSettings.h"

#include "app/core/AppSettings.h"
#include "app/core/IniFields.h"

namespace vk::app {
namespace {

template <class Settings, class Io>
void VisitAddKeys(Settings& s, const Io& io) {
  const char* a = "frmAdd";
  io.Bool(a, "chbIncSubFolders", s.chbIncSubFolders, false);
  io.Bool(a, "chbArchive", s.chbArchive, true);
  io.Bool(a, "chbDirectory", s.chbDirectory, true);
  io.Bool(a, "chbHidden", s.chbHidden, true);
  io.Bool(a, "chbReadOnly", s.chbReadOnly, true);
  io.Bool(a, "chbSysFile", s.chbSysFile, true);
  io.Int(a, "Column_1", s.Column_1, 300, 0, 0xFFFF);
  io.Int(a, "Column_2", s.Column_2, 60, 0, 0xFFFF);
  io.Int(a, "Column_3", s.Column_3, 90, 0, 0xFFFF);
  io.Int(a, "Column_4", s.Column_4, 90, 0, 0xFFFF);
}

template <class Settings, class Io>
void VisitExtractKeys(Settings& s, const Io& io) {
  const char* e = "frmExtract";
  io.Bool(e, "chbConfFileOverrites", s.chbConfFileOverrites, false);
  io.Bool(e, "chbRestOrgnFolders", s.chbRestOrgnFolders, false);
  io.Bool(e, "chbRestoreFileAttribs", s.chbRestoreFileAttribs, false);
  io.Bool(e, "chbOpenFolder", s.chbOpenFolder, false);
  io.Bool(e, "chbCloseAfterExtract", s.chbCloseAfterExtract, false);
}

}  // namespace

void TAddDialogSettings::Read(const TIniFile& ini) {
  VisitAddKeys(*this, TIniFieldReader(ini));
  if (Column_1 < kMinNameColumnWidth) Column_1 = TAddDialogSettings{}.Column_1;
}

void TAddDialogSettings::Write(TIniFile& ini) const { VisitAddKeys(*this, TIniFieldWriter(ini)); }

void TExtractDialogSettings::Read(const TIniFile& ini) {
  VisitExtractKeys(*this, TIniFieldReader(ini));
}

void TExtractDialogSettings::Write(TIniFile& ini) const {
  VisitExtractKeys(*this, TIniFieldWriter(ini));
}

}  // namespace vk::app

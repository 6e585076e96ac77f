// The check boxes and column widths that the Add and Extract dialogs keep in sections of
// their own (named after the dialogs) in Settings.ini. The dialogs read them when they open
// and write them, together with their place, when they close (TAppSettings::UpdateFile).
#pragma once

#include "app/core/IniFile.h"

namespace vk::app {

// Section frmAdd. The initialisers are also the values taken for missing keys.
struct TAddDialogSettings {
  bool chbIncSubFolders = false;
  bool chbArchive = true;  // the attribute filters
  bool chbDirectory = true;
  bool chbHidden = true;
  bool chbReadOnly = true;
  bool chbSysFile = true;
  // The file browser's columns; the first, the names, is never hidden (a narrower width
  // than kMinNameColumnWidth gives 300).
  int Column_1 = 300;
  int Column_2 = 60;
  int Column_3 = 90;
  int Column_4 = 90;

  void Read(const TIniFile& ini);
  void Write(TIniFile& ini) const;
};

// Section frmExtract.
struct TExtractDialogSettings {
  bool chbConfFileOverrites = false;
  bool chbRestOrgnFolders = false;
  bool chbRestoreFileAttribs = false;
  bool chbOpenFolder = false;
  bool chbCloseAfterExtract = false;

  void Read(const TIniFile& ini);
  void Write(TIniFile& ini) const;
};

}  // namespace vk::app

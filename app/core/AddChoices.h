// What the add dialogs do with the user's choices: they write them into the component that
// will do the work, the current writer or the current wrapper. The controls' positions are
// the values: compression 0-3 (Super Fast to Maximal), action 0-2 (Add, Refresh, Move),
// stored folders 0-5 (None to Relative Store Start), date 0-2 (File Date, System Date, Max
// File Date), encryption 0-4 (EncryptionChoices).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "app/core/ArchiveComponents.h"

namespace vk::app {

struct TAddOptions {
  int Compression = 3;
  int Action = 0;
  bool IncludeSubFolders = false;
  // The attribute filters: files with these attributes are taken.
  bool Archive = true;
  bool ReadOnly = true;
  bool Hidden = true;
  bool SysFile = true;
  bool Directory = true;
  int StoredFolders = 4;
  int DateAttributes = 0;
  QString Method;  // the method list's selected name
  int Encryption = 0;
  bool Solid = false;
};

// A row of the Add Files dialog's file browser.
struct TBrowserItem {
  QString Path;
  bool IsFolder = false;
  bool Selected = false;
};

// The wrappers' level for a compression position: 1, 3, 6, 9.
int CompressionLevelOf(int compression);

// The method the current component takes from the method list's selected name: a writer
// the name's value (cmStore when no name matches; a writer refuses what it does not offer,
// and the BZIP2 writer keeps its only method), a wrapper the name's position.
void ApplyMethod(TArchiveComponents& c, const QString& name);
// The compression method the settings name for `kind` onto its writer.
void ApplyDefaultMethod(qel::TCompBase& writer, TComponentKind kind);
// Whether the compression level means anything for the current component and method:
// Deflate and BZip2 writers, 7-Zip's LZMA, BGA.
bool CompressionApplies(const TArchiveComponents& c);

// What the option controls of both add dialogs show for the current component once a type
// is chosen. A writer enables its own controls (attributes, sub-folders, stored folders,
// date, action) and shows its settings; a wrapper disables them. Encryption is chosen only
// in the ZIP family; elsewhere the password button follows whether the format takes one.
struct TTypeSettings {
  QStringList Methods;
  int Method = 0;               // the position shown
  bool WriterControls = false;  // attributes, sub-folders, stored folders, date, action
  int StoredFolders = 4;        // what they show (writers)
  int DateAttributes = 0;
  int Action = 0;
  bool EncryptionEnabled = false;
  int Encryption = -1;  // the choice to show; -1 keeps the user's
  bool PasswordEnabled = false;
  bool SolidVisible = false;
  bool CompressionEnabled = false;
};
// The settings for the current component with the encryption choice `encryption`; the
// component takes the method shown, and a writer's action beyond Move becomes Add.
TTypeSettings ApplyTypeSettings(TArchiveComponents& c, int encryption);

// The Add Files dialog's options for the current writer (everything but the password and
// the files): `tempFolder` becomes its TempDir. Sets RelativeFolders and clears FolderList.
void ApplyWriterOptions(TArchiveComponents& c, const TAddOptions& options,
                        const QString& tempFolder);

// The browser's rows into the current writer's FileSpec (selected files, and selected
// folders as "folder/*" unless they go to FolderList for relative names; the cabinet
// writer takes them in FileSpec) and ExcludeSpec (rows not selected). False, with nothing
// set, when no row is selected.
bool FillFileSpecs(TArchiveComponents& c, const std::vector<TBrowserItem>& items);

// The Add Files dialog's confirmation with a wrapper current: its working folder, files
// (folders as "folder/*"; 7-Zip takes full paths, the others bare names), level, method and
// solid mode. False when no row is selected.
bool ApplyWrapperChoices(TArc& wrapper, const TAddOptions& options, const QString& folder,
                         const std::vector<TBrowserItem>& items);

// The compact Add dialog's confirmation: with a wrapper its level (and 7-Zip's solid mode
// and method, BGA's method), with a writer its action, compression and TempDir.
void ApplyCompactChoices(TArchiveComponents& c, const TAddOptions& options,
                         const QString& tempFolder);

// Asks twice for a new password through `ask` (the box's caption and prompt; nothing when
// cancelled), each time until the entry is not empty; `mismatch` tells the user when
// the two entries differ. The password goes to the current wrapper, else the current writer;
// on cancel or mismatch their password is emptied.
enum class TPasswordOutcome { Set, Cancelled, Different };
using TPasswordAsk =
    std::function<std::optional<QString>(const QString& caption, const QString& prompt)>;
TPasswordOutcome AskNewPassword(TArchiveComponents& c, const TPasswordAsk& ask,
                                const std::function<void()>& mismatch);

// The confirmation's encryption step for the current writer: an encryption other than
// "None" without a password asks for one until two entries agree, and the writer enciphers
// with it. "None" enciphers nothing in the ZIP family, also when the writer still holds an
// earlier add's password; the other writers keep what the password button gave them. False when the
// user cancelled the password: nothing is to be added then, rather than add it unencrypted.
bool ConfirmEncryption(TArchiveComponents& c, int encryption, const TPasswordAsk& ask,
                       const std::function<void()>& mismatch);

}  // namespace vk::app

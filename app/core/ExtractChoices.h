// What the Extract dialog leaves for the command that showed it, and how a reader takes it.
#pragma once

#include <QString>

namespace qel {
class TDecompressClass;
}

namespace vk::app {

struct TExtractChoices {
  QString Folder;
  bool AllFiles = true;    // otherwise the selected rows
  int DateAttributes = 0;  // File Date, System Date, Max File Date
  bool ConfirmOverwrites = false;
  bool RestoreFolders = false;
  bool OpenFolder = false;
  bool RestoreAttributes = false;
  bool CloseAfterExtract = false;
};

// Sets up `reader` to extract into the chosen folder as chosen: stored folders kept or not,
// the date rule, asking before an existing file is replaced (replacing it without asking
// otherwise), the attributes; folders are made as needed, masks reach into subfolders, and
// the password of an earlier run is forgotten.
void ApplyExtractChoices(const TExtractChoices& choices, qel::TDecompressClass& reader,
                         const QString& tempFolder);

// The folder chosen is proposed the next time when the settings say so (ExtractType 2).
void RememberExtractFolder(const TExtractChoices& choices);

}  // namespace vk::app

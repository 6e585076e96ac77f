#include "app/core/ExtractChoices.h"

#include <algorithm>

#include "app/core/AppSettings.h"
#include "engine/extract/DecompressClass.h"

namespace vk::app {

void ApplyExtractChoices(const TExtractChoices& choices, qel::TDecompressClass& reader,
                         const QString& tempFolder) {
  reader.SetExtractDir(choices.Folder.toStdString());
  reader.UseStoredDirs = choices.RestoreFolders;
  reader.DateAttribute = qel::TDateAttribute(std::clamp(choices.DateAttributes, 0, 2));
  reader.ConfirmOverwrites = choices.ConfirmOverwrites;
  if (!choices.ConfirmOverwrites) reader.OverwriteMode = qel::TOverwriteMode::omOverwrite;
  reader.RestoreFileAttr = choices.RestoreAttributes;
  reader.CreateStoredDirs = true;
  reader.SetTempDir(tempFolder.toStdString());
  reader.TranslateOemChar = true;
  reader.RecurseDirs = true;
  reader.SetPassword({});
}

void RememberExtractFolder(const TExtractChoices& choices) {
  TAppSettings& s = AppSettings();
  if (s.ExtractType == 2) s.LastExtractFolder = choices.Folder;
}

}  // namespace vk::app

#include "app/core/CommandRules.h"

#include "engine/registry/Formats.h"

namespace vk::app {

using namespace qel;

std::optional<TComponentKind> WriterForType(TArcType type) {
  return KindOfWriter(UpdaterFor(type));
}

TCommandAvailability CommandAvailability(const TArchiveState& s) {
  TCommandAvailability a;
  a.ActionsMenu = s.Open;
  const bool extractable = s.Open && ReaderFor(s.Type);
  const bool writable = s.Open && WriterForType(s.Type);
  for (const char* name :
       {"acClose", "acProperties", "acMoveArchive", "acCopyArchive", "acRenameArchive",
        "acDeleteArchive", "acFilter", "acMail", "acPrint", "acPrintToFile", "acVirusScan",
        "acCheckVirusTotal", "acSelectAll", "acInvertSelection", "acFileProps"})
    a.Enabled[name] = s.Open;
  for (const char* name : {"acView", "acViewWithNotepad", "acOpenFile", "acExtract"})
    a.Enabled[name] = extractable;
  a.Enabled["acAdd"] = writable;
  a.Enabled["acDelete"] = writable;
  a.Enabled["acComments"] = s.Open && Can(s.Type, capComment);
  a.Enabled["acTest"] = s.Open && Can(s.Type, capTest);
  a.Enabled["acMakeSFXFile"] = s.Open && Can(s.Type, capSfx);
  // A single-file ZIP is cut into a set; a set or a self-extractor is not.
  a.Enabled["acSplit"] = s.Open && (s.Type == qel::atZip || s.Type == qel::atJar);
  // An archive with a setup program is installed, any other checked out.
  a.Enabled["acInstall"] = extractable && s.HasSetupFile;
  a.Enabled["acCheckOut"] = extractable && !s.HasSetupFile;
  a.Enabled["acRename"] = s.Open && Can(s.Type, capRename);
  return a;
}

}  // namespace vk::app

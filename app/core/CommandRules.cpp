#include "app/core/CommandRules.h"

#include "engine/extract/ReaderTable.h"
#include "engine/extract/ZipCheck.h"

namespace vk::app {

using namespace qel;

std::optional<TComponentKind> WriterForType(TArcType type) {
  std::optional<TComponentKind> writer;
  switch (type) {
    case atBh:
      writer = TComponentKind::BlakHole;
      break;
    case atBz2:
      writer = TComponentKind::BZip2;
      break;
    case atCab:
      writer = TComponentKind::MakeCab;
      break;
    case atGZip:
      writer = TComponentKind::GZip;
      break;
    case atJar:
      writer = TComponentKind::Jar;
      break;
    case atLha:
    case atLzh:
      writer = TComponentKind::Lha;
      break;
    case atTar:
      writer = TComponentKind::Tar;
      break;
    case atTarGz:
      writer = TComponentKind::TarGZ;
      break;
    case atTarBz:
      writer = TComponentKind::TarBZ;
      break;
    case atZip:
    case atZipExe:
      writer = TComponentKind::Zip;
      break;
    default:
      break;
  }
  // A format joins the table when its writer is built.
  if (writer && !ComponentType(*writer).Available) return std::nullopt;
  return writer;
}

bool IsWritableType(TArcType type) { return type != atCab && WriterForType(type).has_value(); }

bool IsExtractableType(TArcType type) { return ReaderFor(type) != nullptr; }

bool IsTestableType(TArcType type) {
  return type != atCab && type != atCabExe && type != atTarGz && type != atTarBz &&
         TZipCheck::CanTest(type);
}

bool IsSelfExtractorType(TArcType type) {
  switch (type) {
    case atAce:
    case atArj:
    case atBh:
    case atJar:
    case atLha:
    case atLzh:
    case atRar:
    case atZip:
      return true;
    default:
      return false;
  }
}

bool IsCommentType(TArcType type) { return type == atZip; }

TCommandAvailability CommandAvailability(const TArchiveState& s) {
  TCommandAvailability a;
  a.ActionsMenu = s.Open;
  const bool extractable = s.Open && IsExtractableType(s.Type);
  const bool writable = s.Open && IsWritableType(s.Type);
  for (const char* name :
       {"acClose", "acProperties", "acMoveArchive", "acCopyArchive", "acRenameArchive",
        "acDeleteArchive", "acFilter", "acMail", "acPrint", "acPrintToFile", "acVirusScan",
        "acCheckVirusTotal", "acSelectAll", "acInvertSelection"})
    a.Enabled[name] = s.Open;
  for (const char* name : {"acView", "acViewWithNotepad", "acOpenFile", "acExtract"})
    a.Enabled[name] = extractable;
  a.Enabled["acAdd"] = writable;
  a.Enabled["acDelete"] = writable;
  a.Enabled["acComments"] = s.Open && IsCommentType(s.Type);
  a.Enabled["acTest"] = s.Open && IsTestableType(s.Type);
  a.Enabled["acMakeSFXFile"] = s.Open && IsSelfExtractorType(s.Type);
  // An archive with a setup program is installed, any other checked out.
  a.Enabled["acInstall"] = extractable && s.HasSetupFile;
  a.Enabled["acCheckOut"] = extractable && !s.HasSetupFile;
  // Renaming in place needs the archive editor, which is not built yet.
  a.Enabled["acRename"] = false;
  return a;
}

}  // namespace vk::app

// TMakeSFX and TSevenZipSFX: a self-extractor made by putting a stub program in front of an
// archive. The stubs are files "Vorel" + kind + ".dat" in a stub folder (the SFXS folder
// beside the program unless told otherwise); a ZIP or JAR archive gets its offsets moved by
// the stub's size, any other archive is copied as it stands.
#pragma once

#include <memory>
#include <string>

#include "engine/base/ZipCommon.h"

namespace qel {

class TMakeSFX : public TZipCommon {
 public:
  // The maker for archives of `type`: the 7z one for 7z archives, this one for the others.
  static std::unique_ptr<TMakeSFX> For(TArcType type);

  // Empty: the archive's name with ".exe", its file name in lower case.
  WideString TargetFile;
  // The stub folder; when it names no folder, the SFXS folder beside the program.
  WideString SfxStubDir;

  // The stub kind of an archive type ("Zip", "Jar", "Lha"...); empty for a type without one.
  static std::string StubKind(TArcType type);
  // `archive` with ".exe" for its extension, the file name (never its folder) in lower case.
  static WideString DefaultTarget(const WideString& archive);
  // The stub for `kind` in `stubDir`, or in the SFXS folder beside the program when
  // `stubDir` names no folder.
  static WideString StubFile(const WideString& stubDir, const std::string& kind);

  // Writes TargetFile; true when it was written (executable). An existing target is replaced
  // only when OnFileExists agrees. Errors reach OnError.
  bool Execute();

 protected:
  virtual std::string Kind() const { return StubKind(ArcType()); }
};

// The same for 7z archives, with the 7z stub and no offsets to move.
class TSevenZipSFX : public TMakeSFX {
 protected:
  std::string Kind() const override { return "SZip"; }
};

}  // namespace qel

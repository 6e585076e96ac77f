// TZipSFX: a ZIP self-extractor with a settings block: the stub, then the block the stub
// reads when it runs (its window title, message, default folder, overwrite answer, options
// and a command to run afterwards), then the archive with every offset moved to count from
// the start of the file.
#pragma once

#include "engine/base/ZipCommon.h"
#include "formats/zip/SfxSettings.h"

namespace qel {

class TZipSFX : public TZipCommon {
 public:
  // The stub; empty or a folder: "DZSFX" + SFXLanguage + ".bin" there (or beside the
  // program).
  WideString SFXPath;
  WideString SFXLanguage = "US";
  WideString SourceFile;
  WideString TargetFile;
  // The block's contents. Each text is at most 255 bytes as stored (UTF-8).
  TSfxSettings Settings;

  // The stub SFXPath names, as it will be looked for.
  WideString StubFile() const;

  // Writes TargetFile (executable); true when it was written. An existing target is replaced
  // only when OnFileExists agrees. Errors reach OnError: a missing SourceFile or stub 25192,
  // a text too long 25235.
  bool Execute();
};

}  // namespace qel

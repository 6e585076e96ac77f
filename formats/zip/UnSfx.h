// TUnSfx: takes the stub off a self-extractor, leaving the plain archive. A ZIP is written
// again entry by entry (its offsets then count from the new file's start), keeping data
// descriptors and the archive comment; any other archive is copied from where it starts.
#pragma once

#include "engine/base/ZipCommon.h"

namespace qel {

class TUnSfx : public TZipCommon {
 public:
  // Detects the self-extractor and proposes OutFilename: its name with the extension of the
  // archive inside; a type that cannot be taken out clears it and reports 25234.
  void SetArchiveFile(const WideString& name) override;

  const WideString& OutFilename() const { return FOutFilename; }
  // A name without a folder goes beside the self-extractor.
  void SetOutFilename(const WideString& name);

  // The extension of the archive inside an SFX of `type` (".zip"); empty when none is taken
  // out.
  static const char* ArchiveExtension(TArcType type);

  // Writes OutFilename; true when it was written. An existing output is replaced only when
  // OnFileExists agrees (without the event it is replaced).
  bool Convert();

 private:
  WideString FOutFilename;
};

}  // namespace qel

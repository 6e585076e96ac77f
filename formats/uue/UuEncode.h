// TUUEncode: writes one file (ArchiveFile) as UU, XX or Base64 text for mail (OutFilename),
// UU and XX optionally in volumes of KBytesPerVolume × 16 lines: OutFilename, then the
// names NextNumberedVolume gives (x.uue, x.u01, x.u02 ...), each later one opening with a
// "part" line and the begin line again. The text: a banner naming the encoder, the alphabet
// when asked ("table"), the MIME headers for Base64, the begin line, the data lines (45
// bytes a UU or XX line, 57 a Base64 line, CR LF after each), the zero-length line that
// standard decoders end on, "end" and the byte count. Every volume is written under a
// temporary name and takes its own only once all are whole.
#pragma once

#include <cstdint>

#include "engine/compress/CompressClass.h"

namespace qel {

class TUUEncode : public TCompressClass {
 public:
  TUUEncode();

  // The file to encode; proposes OutFilename, its name with DefaultExt for the extension.
  void SetArchiveFile(const WideString& name) override;
  // The text to write; DefaultExt is added to a name without an extension.
  WideString OutFilename;
  int KBytesPerVolume = 0;  // 0: one file; UU and XX only
  bool WriteTableToFile = false;

  // Encodes ArchiveFile into OutFilename and its volumes; answers the files written, 0 when
  // nothing was written (reported).
  int Encode();

 protected:
  bool AcceptsMethod(TCompressMethod method) const override;
};

// The extension a text of `method` takes: ".uue", ".xxe" or ".mim".
const char* EncodedExtension(TCompressMethod method);

}  // namespace qel

// TUnRar: extracts or tests RAR archives through the RAR library bound by name. A listing
// walk first counts what matches; then the archive is opened for extraction and each file
// that passes the filters is tested by the library, its data taken through the library's
// data callback into the output the engine makes (names cleaned, files written under a
// temporary name until their CRC passed). Links are listed, never made.
#pragma once

#include "engine/extract/UnBase.h"
#include "formats/rar/UnrarApi.h"

namespace qel {

namespace unrar {
class TUnrarArchive;
}

class TUnRar : public TUnBase {
 public:
  TUnRar();
  ~TUnRar() override;

 protected:
  void ExtractEntries() override;
  // The library follows the set's volumes itself.
  bool OpenNextVolume() override { return false; }

 private:
  class TCallbacks;
  // Processes the entry under `h`; false when the walk cannot go on.
  bool ProcessEntry(unrar::TUnrarArchive& rar, const unrar::RARHeaderDataEx& h,
                    TCallbacks& callbacks);
};

}  // namespace qel

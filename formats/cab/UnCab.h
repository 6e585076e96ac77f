// TUnCab: extracts or tests the files of a cabinet, and of the cabinets that follow it in
// its set. The set is walked by its own records, as the lister walks it, and joined in the
// decoder; then every selected file is decoded, in the order of its folder's data so that
// no folder is decoded twice. Cabinets carry no checksum of a whole file: a file passes
// when every data block checked and decoded to its end.
#pragma once

#include <string>
#include <vector>

#include "engine/extract/UnBase.h"

namespace qel {

namespace cab {
class TCabDecoder;
struct TCabEntry;
struct TCabFileRecord;
struct TCabFailure;
}  // namespace cab

class TUnCab : public TUnBase {
 public:
  TUnCab();
  ~TUnCab() override;

 protected:
  void ExtractEntries() override;

 private:
  // One file record of the set, and what can be had of it.
  struct TJob {
    const cab::TCabFileRecord* Record = nullptr;
    std::string Name;
    const cab::TCabEntry* Entry = nullptr;  // none: the decoder cannot give it
    bool Cut = false;     // in the folder a cabinet that could not be joined continues
    int Lack = 0;         // why not: a message code, 0 while it can be had
    std::string LackWhy;  // said with it, or with a cut file's failure
  };

  void Decode(cab::TCabDecoder& decoder, const TJob& job);
  void ReportFailure(const WideString& name, const cab::TCabFailure& f);
};

}  // namespace qel

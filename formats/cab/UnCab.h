// TUnCab: extracts or tests the files of a cabinet, and of the cabinets that follow it in
// its set. The set is joined first (each next cabinet found or asked for through the volume
// logic), then every selected file is decoded in record order. Cabinets carry no checksum
// of a whole file: a file passes when every data block checked and decoded to its end.
#pragma once

#include "engine/extract/UnBase.h"

namespace qel {

namespace cab {
class TCabDecoder;
struct TCabEntry;
struct TCabFailure;
}  // namespace cab

class TUnCab : public TUnBase {
 public:
  TUnCab();
  ~TUnCab() override;

 protected:
  void ExtractEntries() override;

 private:
  // False when the set could not be followed to its end (reported).
  bool JoinSet(cab::TCabDecoder& decoder);
  // False when the files from this one on cannot be had: a cabinet of the set is missing.
  bool Decode(cab::TCabDecoder& decoder, const cab::TCabEntry& e, const std::string& name,
              bool wholeSet);
  void ReportFailure(const WideString& name, const cab::TCabFailure& f);
};

}  // namespace qel

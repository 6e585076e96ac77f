// TUUDecode: decodes the file a UU, XX or Base64 text holds, as one entry. The start is
// found as FindUuStart says; UU or XX data runs to its "end" line and may go on in the
// next volume of a set (x.uue, x.u01, x.u02 ... or x.001, x.002 ...: a later volume opens
// with its own begin line, after a "part" line, or has its data after some heading);
// Base64 data runs to "====", "end", a blank line or its
// padding. The encodings carry no check sum: the file passes when its data is whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/extract/UnBase.h"
#include "formats/uue/UuHeader.h"

namespace qel {

class TUUDecode : public TUnBase {
 public:
  TUUDecode();
  ~TUUDecode() override;

 protected:
  void ExtractEntries() override;
  // A set's next volume is opened where the data asks for it, never by a read.
  bool OpenNextVolume() override { return false; }
  WideString NextVolumeName() override;

 private:
  // Decodes the data from where `lines` stand into the output; false when it is damaged or
  // cut short (reported).
  bool DecodeLengthLines(std::unique_ptr<uu::TTextLines>& lines, const uu::TUuStart& start);
  // `closed`: a begin-base64 text, whose data ends with its own line; a MIME part may end
  // with the mail.
  bool DecodeBase64(uu::TTextLines& lines, bool closed);
  // Opens the set's next volume and finds its begin line (`seeking` when it has none);
  // false (reported) when there is no next volume.
  bool NextPart(std::unique_ptr<uu::TTextLines>& lines, bool& seeking);
  // Reports damage at the line just read.
  bool Damaged(const uu::TTextLines& lines);
  void Progress(const uu::TTextLines& lines);

  // The decoded bytes wait here for the output, which takes them in large pieces.
  void Gather(const uint8_t* data, size_t size);
  void Flush();

  // Whether the byte count after the end line, where there is one, is what was decoded.
  bool CountHolds(uu::TTextLines& lines);

  std::vector<uint8_t> FGathered;
  int64_t FDecoded = 0;      // bytes decoded so far
  int FVolume = 0;           // counts the volumes read, from 0
  int64_t FVolumesRead = 0;  // bytes of the volumes before the one open now
};

}  // namespace qel

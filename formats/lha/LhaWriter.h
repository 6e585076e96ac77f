// TLha: the LHA half of the compression pipeline. New entries get level-0 headers, written
// first as placeholders and completed in place once the data is written: -lh5- or -lh6-,
// or -lh0- when the encoder gives up or the file does not shrink; -lhd- for empty folders.
// Kept entries are copied byte for byte; a renamed one gets a level-2 header, which holds
// any name and keeps its Unix time and mode.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/compress/CompBase.h"

namespace qel {

class TLzhEncoder;

class TLha : public TCompBase {
 public:
  TLha();
  ~TLha() override;

 protected:
  bool ReadDirectory(TStream64& archive, TCompList& list) override;
  void WriteEntries(TStream64* archive, TStream64& out, TCompList& list) override;
  void WriteDirectory(TStream64& out, const TCompList& list) override;
  bool AcceptsMethod(TCompressMethod method) const override;

 private:
  bool CompressFile(TStream64& out, TCompEntry& e, int index, const TCompList& list);
  // Writes the file's data at the output's position: LZH-coded with `method` ('5' or '6'),
  // or stored ('0', also when coding gives up). Answers the method used and the CRC-16;
  // none when the file changed its size while it was read.
  std::optional<std::pair<char, uint16_t>> WriteData(TStream64& source, TStream64& out, char method,
                                                     int64_t size);
  // Copies a kept entry; one that cannot be copied ends the whole update, so that no entry
  // is ever dropped unasked.
  void CopyKept(TStream64& archive, TStream64& out, const TCompEntry& e);

  // Kept from file to file: its tables are large, and a new stream needs no clearing.
  std::unique_ptr<TLzhEncoder> FEncoder;
};

}  // namespace qel

// The writers of the single-file compressions: TGZip (GZIP, one Deflate member) and TBZip
// (BZIP2). Such a file holds exactly one file, so adding one replaces what it held; it
// holds no folders.
#pragma once

#include <memory>

#include "codecs/io/ByteIo.h"
#include "engine/compress/CompBase.h"

namespace qel {

class TFileStream32;
class TWorkers;

class TPackedWriter : public TCompBase {
 public:
  using TCompBase::TCompBase;
  ~TPackedWriter() override;

 protected:
  bool ReadDirectory(TStream64& archive, TCompList& list) override;
  void WriteEntries(TStream64* archive, TStream64& out, TCompList& list) override;
  void WriteDirectory(TStream64&, const TCompList&) override {}

  // Compresses all of `source` to `out`; false, reported, when the file changed while it
  // was read. A failed write raises.
  virtual bool Pack(TFileStream32& source, TStream64& out, const TCompEntry& e) = 0;
  // Feeds the source into `sink` through the input routine; false, reported, when it gave
  // other than `size` bytes.
  bool Feed(TFileStream32& source, IByteSink& sink, int64_t size);
  // Reports the failed write (or the cancel behind it) and raises.
  [[noreturn]] void WriteFailed();

  std::unique_ptr<TWorkers> FWorkers;
};

class TGZip : public TPackedWriter {
 public:
  TGZip();

 protected:
  bool AcceptsMethod(TCompressMethod method) const override;
  bool Pack(TFileStream32& source, TStream64& out, const TCompEntry& e) override;
};

class TBZip : public TPackedWriter {
 public:
  TBZip();
  int CompressLevel = 9;  // the block size, in 100 000 bytes

 protected:
  bool AcceptsMethod(TCompressMethod method) const override;
  bool Pack(TFileStream32& source, TStream64& out, const TCompEntry& e) override;
};

}  // namespace qel

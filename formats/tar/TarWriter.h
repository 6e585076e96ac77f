// TTar: the TAR half of the compression pipeline. New members get old-GNU headers (a GNU
// long-name block before a name of more than 100 bytes, base-256 sizes from 8 GiB on) and
// their data padded to 512 bytes; kept members are copied as they stand, renamed ones
// under new headers; two zero blocks end the archive, padded to a multiple of 10240 bytes.
// TTarGZ and TTarBZ pass the same TAR through the GZIP or BZIP2 compressor as it is
// written, and read the archive they update through the matching decoder.
#pragma once

#include <memory>
#include <string>

#include "codecs/io/ByteIo.h"
#include "engine/compress/CompBase.h"

namespace qel {

class TFileStream32;
class TWorkers;
struct TTarSource;

class TTar : public TCompBase {
 public:
  TTar();
  ~TTar() override;

  uint32_t UnixUID = 2;
  uint32_t UnixGID = 2;
  std::string UnixUName = "root";
  std::string UnixGName = "root";

 protected:
  TTar(const char* ext, TArcType type, TCompressMethod method);

  bool ReadDirectory(TStream64& archive, TCompList& list) override;
  void WriteEntries(TStream64* archive, TStream64& out, TCompList& list) override;
  void WriteDirectory(TStream64& out, const TCompList& list) override;
  bool AcceptsMethod(TCompressMethod method) const override;

 private:
  bool AddFile(TStream64& out, TCompEntry& e, int index, const TCompList& list);
  void CopyMember(TTarSource& source, TStream64& out, const TCompEntry& e);
  void WriteZeros(TStream64& out, int64_t count);

  TCompressMethod FOwnMethod;
};

// A TAR written through a compressor: the TAR goes into FTar, which passes it on.
class TPackedTar : public TTar {
 public:
  ~TPackedTar() override;

 protected:
  using TTar::TTar;
  void WriteEntries(TStream64* archive, TStream64& out, TCompList& list) override;
  void WriteDirectory(TStream64& out, const TCompList& list) override;
  bool ReadDirectory(TStream64& archive, TCompList& list) override;

  // Makes the compressor over `out`.
  virtual std::unique_ptr<IByteSink> MakePacker(TStream64& out) = 0;
  // Ends the compressed data; false when it could not be written whole.
  virtual bool FinishPacker(IByteSink& packer) = 0;

 private:
  std::unique_ptr<IByteSink> FPacker;
  std::unique_ptr<TStream64> FTar;
};

class TTarGZ : public TPackedTar {
 public:
  TTarGZ();
  ~TTarGZ() override;

 protected:
  std::unique_ptr<IByteSink> MakePacker(TStream64& out) override;
  bool FinishPacker(IByteSink& packer) override;

 private:
  std::unique_ptr<TWorkers> FWorkers;  // deflating on every core
};

class TTarBZ : public TPackedTar {
 public:
  TTarBZ();
  int CompressLevel = 9;  // the BZIP2 block size, in 100 000 bytes

 protected:
  std::unique_ptr<IByteSink> MakePacker(TStream64& out) override;
  bool FinishPacker(IByteSink& packer) override;
};

}  // namespace qel

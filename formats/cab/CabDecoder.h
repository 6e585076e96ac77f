// The cabinet decoder: libmspack behind the few operations the reader needs. Cabinets of
// a set are joined so that a folder spanning them decodes as one; every byte the library
// reads goes through this layer's own file routines, which shift seeks by where a cabinet
// starts in its file (one carried behind a program), and every decoded byte goes to the
// caller's sink rather than to a file the library names.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "codecs/io/CodecIo.h"

struct mscab_decompressor;
struct mscabd_cabinet;
struct mscabd_file;

namespace qel::cab {

// Whether the decoder can be used. Tests switch it off to see how both components refuse.
bool DecoderPresent();
void SetDecoderPresentForTesting(bool present);

// The failure of an operation, as the decoding layer names it: the operation code (4 is a
// corrupt cabinet, 8 the target) and the library's own error number as its type.
struct TCabFailure {
  int Operation = 0;
  int Type = 0;
};
inline constexpr int kCorruptCabinet = 4;
inline constexpr int kTargetFile = 8;
// "Cabinet error %d (type %d)".
std::string CabinetErrorText(const TCabFailure& f);

// A file as the decoder knows it. Its pointer is good until the decoder joins another
// cabinet or goes.
struct TCabEntry {
  std::string Name;  // as stored
  uint32_t Size = 0;
  uint32_t Offset = 0;  // in its folder's data
  int Folder = 0;       // the folder's place among the joined cabinets' folders
  const mscabd_file* File = nullptr;
};

class TCabDecoder {
 public:
  TCabDecoder();
  ~TCabDecoder();
  TCabDecoder(const TCabDecoder&) = delete;
  TCabDecoder& operator=(const TCabDecoder&) = delete;

  // Opens the set's first cabinet, at `base` in its file.
  bool Open(const std::string& path, int64_t base);
  // Joins the next cabinet of the set; false when the library finds it does not continue
  // the one before.
  bool Append(const std::string& path);
  // The files of the cabinets joined so far, in the order of their records; a file
  // continued from one cabinet into the next is there once. The library drops a later
  // cabinet's other files of a folder continued into it: the caller tells those.
  std::vector<TCabEntry> Entries() const;
  // Decodes one file into `sink`; `open` is asked first, only once the library is about to
  // deliver data (false refuses the file). False with Failure() set when it failed.
  bool Extract(const TCabEntry& entry, const std::function<bool()>& open, const TCodecSink& sink);
  const TCabFailure& Failure() const { return failure_; }

  struct TSystem;
  struct THandle;

 private:
  bool Fail(int error);
  // A file the library asked for: a cabinet to read, or the sink.
  std::unique_ptr<THandle> OpenHandle(const char* name, int mode);
  // The library keeps the name it opened a cabinet by, not a copy: the names live here.
  const char* Keep(const std::string& path, int64_t base);

  std::unique_ptr<TSystem> system_;
  mscab_decompressor* decoder_ = nullptr;
  mscabd_cabinet* first_ = nullptr;
  std::vector<mscabd_cabinet*> cabinets_;
  TCabFailure failure_;
  // Each cabinet's start in its file, by the name it was opened by.
  std::map<std::string, int64_t> bases_;
  std::function<bool()> open_;
  const TCodecSink* sink_ = nullptr;
};

}  // namespace qel::cab

#include "formats/cab/CabDecoder.h"

#include <mspack.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

#include "engine/streams/FileStream32.h"

namespace qel::cab {

namespace {

bool gPresent = true;

// The name the decoder is told to write a file to: the file routines below take it for
// the caller's sink, so no file of the library's choosing is ever made.
constexpr char kSinkName[] = "\x01sink";
constexpr size_t kReadBuffer = size_t(1) << 16;

// libmspack's error numbers in the operation codes of the decoding layer.
int OperationOf(int error) {
  switch (error) {
    case MSPACK_ERR_OPEN:
      return 1;  // cabinet not found
    case MSPACK_ERR_SIGNATURE:
      return 2;  // not a cabinet
    case MSPACK_ERR_NOMEMORY:
      return 5;
    case MSPACK_ERR_WRITE:
      return kTargetFile;
    case MSPACK_ERR_READ:
    case MSPACK_ERR_SEEK:
    case MSPACK_ERR_DATAFORMAT:
    case MSPACK_ERR_CHECKSUM:
    case MSPACK_ERR_DECRUNCH:
      return kCorruptCabinet;  // a cabinet cut short reads as a corrupt one
    default:
      return 7;
  }
}

}  // namespace

bool DecoderPresent() { return gPresent; }
void SetDecoderPresentForTesting(bool present) { gPresent = present; }

std::string CabinetErrorText(const TCabFailure& f) {
  return "Cabinet error " + std::to_string(f.Operation) + " (type " + std::to_string(f.Type) + ")";
}

// A cabinet the library reads, or the sink. The library reads each data block's header of
// eight bytes on its own and seeks between them: reads go through a buffer of our own, so
// that they cost no system call each, and seeks within it none either.
struct TCabDecoder::THandle {
  std::unique_ptr<TFileStream32> File;  // none for the sink
  int64_t Base = 0;
  TCabDecoder* Sink = nullptr;
  std::vector<uint8_t> Buffer;
  int64_t BufferAt = 0;  // the file offset of Buffer's first byte
  size_t Filled = 0, Next = 0;

  int64_t Position() const { return BufferAt + int64_t(Next); }
  int Read(uint8_t* out, int bytes) {
    int done = 0;
    while (done < bytes) {
      if (Next == Filled) {
        BufferAt += int64_t(Filled);
        Next = Filled = 0;
        if (Buffer.empty()) Buffer.resize(kReadBuffer);
        const int64_t got = File->Read(Buffer.data(), int64_t(Buffer.size()));
        if (got <= 0) break;
        Filled = size_t(got);
      }
      const size_t n = std::min(Filled - Next, size_t(bytes - done));
      std::memcpy(out + done, Buffer.data() + Next, n);
      Next += n;
      done += int(n);
    }
    return done;
  }
  bool Seek(int64_t at) {
    if (at >= BufferAt && at <= BufferAt + int64_t(Filled)) {
      Next = size_t(at - BufferAt);
      return true;
    }
    if (!File->SetPosition(at)) return false;
    BufferAt = at;
    Next = Filled = 0;
    return true;
  }
};

// The routines lent to the library. Each handle knows its decoder, so no state is shared
// between decoders.
struct TCabDecoder::TSystem : mspack_system {
  TCabDecoder* Owner = nullptr;
  std::exception_ptr Pending;  // raised by the sink; carried across the library's C frames

  static THandle* H(mspack_file* f) { return reinterpret_cast<THandle*>(f); }

  // Nothing may be raised through the library's frames: what is raised here waits in
  // Pending until the library has returned.
  static mspack_file* Open(mspack_system* self, const char* name, int mode) {
    TSystem& s = *static_cast<TSystem*>(self);
    try {
      return reinterpret_cast<mspack_file*>(s.Owner->OpenHandle(name, mode).release());
    } catch (...) {
      s.Pending = std::current_exception();
      return nullptr;
    }
  }
  static void Close(mspack_file* f) { delete H(f); }
  static int Read(mspack_file* f, void* buffer, int bytes) {
    THandle* h = H(f);
    if (!h || !h->File || bytes < 0) return -1;
    return h->Read(static_cast<uint8_t*>(buffer), bytes);
  }
  static int Write(mspack_file* f, void* buffer, int bytes) {
    THandle* h = H(f);
    if (!h->Sink || bytes < 0) return -1;
    TSystem& s = *h->Sink->system_;
    try {
      if (!(*h->Sink->sink_)({static_cast<const uint8_t*>(buffer), size_t(bytes)})) return -1;
    } catch (...) {
      s.Pending = std::current_exception();
      return -1;
    }
    return bytes;
  }
  static int Seek(mspack_file* f, off_t offset, int mode) {
    THandle* h = H(f);
    if (!h || !h->File) return -1;
    int64_t at = offset;
    if (mode == MSPACK_SYS_SEEK_START) at += h->Base;
    if (mode == MSPACK_SYS_SEEK_CUR) at += h->Position();
    if (mode == MSPACK_SYS_SEEK_END) at += h->File->Size();
    return at >= h->Base && h->Seek(at) ? 0 : -1;
  }
  static off_t Tell(mspack_file* f) {
    THandle* h = H(f);
    return h && h->File ? off_t(h->Position() - h->Base) : 0;
  }
  // The library's warnings are its own; what matters reaches the caller as a result.
  static void Message(mspack_file*, const char*, ...) {}
  static void* Alloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
  static void Free(void* p) { std::free(p); }
  static void Copy(void* from, void* to, size_t bytes) { std::memmove(to, from, bytes); }
};

std::unique_ptr<TCabDecoder::THandle> TCabDecoder::OpenHandle(const char* name, int mode) {
  auto h = std::make_unique<THandle>();
  if (mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(name, kSinkName) == 0) {
    if (!open_ || !open_()) return nullptr;
    h->Sink = this;
    return h;
  }
  // The library only reads cabinets; it is never let to write anywhere.
  if (mode != MSPACK_SYS_OPEN_READ) return nullptr;
  h->File = TFileStream32::Open(name, fmOpenRead);
  if (!h->File) return nullptr;
  const auto base = bases_.find(name);
  h->Base = base == bases_.end() ? 0 : base->second;
  if (!h->Seek(h->Base)) return nullptr;
  return h;
}

TCabDecoder::TCabDecoder() : system_(std::make_unique<TSystem>()) {
  TSystem& s = *system_;
  s.open = &TSystem::Open;
  s.close = &TSystem::Close;
  s.read = &TSystem::Read;
  s.write = &TSystem::Write;
  s.seek = &TSystem::Seek;
  s.tell = &TSystem::Tell;
  s.message = &TSystem::Message;
  s.alloc = &TSystem::Alloc;
  s.free = &TSystem::Free;
  s.copy = &TSystem::Copy;
  s.null_ptr = nullptr;
  s.Owner = this;
  decoder_ = mspack_create_cab_decompressor(&s);
  if (decoder_) {
    // Damaged data is an error, never patched over. The input buffer stays the library's
    // own small one: a larger one reads ahead, and a cabinet cut short would then fail files
    // whose blocks are all there.
    decoder_->set_param(decoder_, MSCABD_PARAM_FIXMSZIP, 0);
    decoder_->set_param(decoder_, MSCABD_PARAM_SALVAGE, 0);
  }
}

TCabDecoder::~TCabDecoder() {
  if (!decoder_) return;
  // Closing one cabinet of a joined set closes them all.
  if (!cabinets_.empty()) decoder_->close(decoder_, cabinets_.front());
  mspack_destroy_cab_decompressor(decoder_);
}

bool TCabDecoder::Fail(int error) {
  failure_ = {OperationOf(error), error};
  return false;
}

const char* TCabDecoder::Keep(const std::string& path, int64_t base) {
  return bases_.emplace(path, base).first->first.c_str();
}

bool TCabDecoder::Open(const std::string& path, int64_t base) {
  if (!decoder_) return Fail(MSPACK_ERR_NOMEMORY);
  first_ = decoder_->open(decoder_, Keep(path, base));
  if (!first_) return Fail(decoder_->last_error(decoder_));
  cabinets_.push_back(first_);
  return true;
}

bool TCabDecoder::Append(const std::string& path) {
  if (!decoder_ || !first_) return Fail(MSPACK_ERR_ARGS);
  mscabd_cabinet* next = decoder_->open(decoder_, Keep(path, 0));
  if (!next) return Fail(decoder_->last_error(decoder_));
  cabinets_.push_back(next);
  const int error = decoder_->append(decoder_, cabinets_[cabinets_.size() - 2], next);
  if (error != MSPACK_ERR_OK) {
    cabinets_.pop_back();
    decoder_->close(decoder_, next);
    return Fail(error);
  }
  return true;
}

std::vector<TCabEntry> TCabDecoder::Entries() const {
  std::map<const mscabd_folder*, int> folders;
  for (const mscabd_folder* f = first_ ? first_->folders : nullptr; f; f = f->next)
    folders.emplace(f, int(folders.size()));
  std::vector<TCabEntry> entries;
  for (const mscabd_file* f = first_ ? first_->files : nullptr; f; f = f->next) {
    const auto folder = folders.find(f->folder);
    entries.push_back({f->filename, f->length, f->offset,
                       folder == folders.end() ? int(folders.size()) : folder->second, f});
  }
  return entries;
}

bool TCabDecoder::Extract(const TCabEntry& entry, const std::function<bool()>& open,
                          const TCodecSink& sink) {
  // A refused output is the target's failure, whatever the library makes of it.
  bool refused = false;
  open_ = [&] {
    refused = !open();
    return !refused;
  };
  sink_ = &sink;
  int error = decoder_->extract(decoder_, const_cast<mscabd_file*>(entry.File), kSinkName);
  open_ = nullptr;
  sink_ = nullptr;
  if (system_->Pending) std::rethrow_exception(std::exchange(system_->Pending, nullptr));
  if (refused) error = MSPACK_ERR_WRITE;
  return error == MSPACK_ERR_OK || Fail(error);
}

}  // namespace qel::cab

#include "formats/rar/UnrarHandle.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "engine/base/DateTime.h"
#include "engine/streams/FileStream32.h"
#include "engine/text/Utf8.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/rar/LibarchiveRar.h"

namespace qel::unrar {

namespace {

constexpr int64_t kSfxSearch = int64_t(4) << 20;
constexpr size_t kCopyBuffer = size_t(1) << 18;
constexpr size_t kPasswordChars = 128;
constexpr int kVolumeAsks = 8;  // a caller that keeps naming missing files is told no

void CopyName(const std::string& name, char (&narrow)[1024], wchar_t (&wide)[1024]) {
  const size_t n = std::min(name.size(), sizeof narrow - 1);
  std::memcpy(narrow, name.data(), n);
  narrow[n] = 0;
  text::Utf8ToWideBuffer(name, wide, std::size(wide));
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

int64_t FindRarStart(TFileStream32& file) {
  const int64_t size = file.Size();
  const int64_t limit = std::min(size, kSfxSearch);
  std::vector<uint8_t> chunk(size_t(1) << 16);
  for (int64_t at = 0; at < limit; at += int64_t(chunk.size()) - 7) {
    const int64_t n = file.ReadAt(at, chunk.data(), int64_t(chunk.size()));
    for (int64_t i = 0; i + 8 <= n; ++i) {
      const uint8_t* p =
          static_cast<const uint8_t*>(std::memchr(&chunk[size_t(i)], 'R', size_t(n - i)));
      if (!p) break;
      i = p - chunk.data();
      if (i + 8 > n || at + i >= limit) break;
      if (!rar::RarSignatureVersion(p)) continue;
      rar::TRarBlockReader probe;
      if (probe.Open(file.ExactReader(), size, at + i) == THeaderRead::Ok) return at + i;
    }
    if (n < int64_t(chunk.size())) break;
  }
  return -1;
}

TUnrarHandle::TUnrarHandle() = default;
TUnrarHandle::~TUnrarHandle() = default;

bool TUnrarHandle::UseVolume(const std::string& name, int64_t start) {
  file_ = TFileStream32::Open(name, fmOpenRead);
  if (!file_) return false;
  window_.Use(file_.get(), file_->Size());
  const TReadAt read = [this](int64_t pos, uint8_t* data, int64_t size) {
    return window_.ReadAt(pos, data, size);
  };
  return blocks_.Open(read, file_->Size(), start) == THeaderRead::Ok;
}

bool TUnrarHandle::Open(RAROpenArchiveDataEx& data) {
  mode_ = data.OpenMode;
  callback_ = data.Callback;
  userData_ = data.UserData;
  const std::string name = data.ArcNameW ? text::WideToUtf8(data.ArcNameW, 4096)
                                         : std::string(data.ArcName ? data.ArcName : "");
  data.Flags = 0;
  std::unique_ptr<TFileStream32> file = TFileStream32::Open(name, fmOpenRead);
  if (!file) {
    data.OpenResult = ERAR_EOPEN;
    return false;
  }
  start_ = FindRarStart(*file);
  if (start_ < 0 || !UseVolume(name, start_)) {
    data.OpenResult = ERAR_BAD_ARCHIVE;
    return false;
  }
  volumes_ = {name};
  const rar::TRarArchiveFlags& a = blocks_.Archive();
  data.Flags = (a.Volume ? ROADF_VOLUME : 0) | (a.Commented ? ROADF_COMMENT : 0) |
               (a.Locked ? ROADF_LOCK : 0) | (a.Solid ? ROADF_SOLID : 0) |
               (a.NewNumbering ? ROADF_NEWNUMBERING : 0) |
               (a.EncryptedHeaders ? ROADF_ENCHEADERS : 0) |
               (a.FirstVolume ? ROADF_FIRSTVOLUME : 0);
  data.CmtSize = data.CmtState = 0;
  // Enciphered headers hide every entry; this layer deciphers nothing.
  data.OpenResult = a.EncryptedHeaders ? ERAR_ENCRYPTION_UNSUPPORTED : ERAR_SUCCESS;
  return !a.EncryptedHeaders;
}

int TUnrarHandle::Callback(unsigned msg, intptr_t p1, intptr_t p2) {
  return callback_ ? callback_(msg, userData_, p1, p2) : -1;
}

int TUnrarHandle::ChangeVolume() {
  std::string next = NextRarVolume(volumes_.back(), blocks_.Archive().NewNumbering);
  const auto call = [&](intptr_t kind) {
    std::vector<wchar_t> buffer(4096, 0);
    text::Utf8ToWideBuffer(next, buffer.data(), buffer.size());
    const int answer = Callback(UCM_CHANGEVOLUMEW, intptr_t(buffer.data()), kind);
    next = text::WideToUtf8(buffer.data(), buffer.size());
    return answer != -1;
  };
  // A volume that is there is announced; a missing one is asked for, and the caller may
  // name another file in the buffer.
  if (Exists(next)) {
    if (!call(RAR_VOL_NOTIFY)) return ERAR_CANCELLED;
  } else {
    for (int asked = 0; !Exists(next); ++asked)
      if (asked == kVolumeAsks || !call(RAR_VOL_ASK) || next.empty()) return ERAR_EOPEN;
  }
  const bool newNumbering = blocks_.Archive().NewNumbering;
  if (!UseVolume(next, 0) || blocks_.Archive().NewNumbering != newNumbering)
    return ERAR_UNKNOWN;  // not the next volume of this set
  volumes_.push_back(next);
  return ERAR_SUCCESS;
}

int TUnrarHandle::NextPart(rar::TRarPart& part) {
  for (;;) {
    switch (blocks_.Next(part)) {
      case THeaderRead::Ok:
        return ERAR_SUCCESS;
      case THeaderRead::Bad:
        return ERAR_BAD_DATA;
      case THeaderRead::End:
        break;
    }
    if (!blocks_.MoreVolumes()) return ERAR_END_ARCHIVE;
    if (const int r = ChangeVolume(); r != ERAR_SUCCESS) return r;
  }
}

int TUnrarHandle::NextFile(TRecord& record) {
  if (const int r = NextPart(record.Part); r != ERAR_SUCCESS) return r;
  rar::TRarPart& whole = record.Part;
  record.Volume = volumes_.size() - 1;
  record.Pieces = {{record.Volume, whole.DataStart, whole.Packed}};
  // The rest of a file that begins in a volume not read comes as a record of its own, still
  // marked as split before: a file for libarchive too, but none to extract.
  while (whole.SplitAfter && !whole.SplitBefore) {
    rar::TRarPart part;
    const int r = NextPart(part);
    if (r == ERAR_END_ARCHIVE ||
        (r == ERAR_SUCCESS && (!part.SplitBefore || part.Name != whole.Name)))
      return ERAR_UNKNOWN;  // the set breaks off inside the file
    if (r != ERAR_SUCCESS) return r;
    record.Pieces.push_back({volumes_.size() - 1, part.DataStart, part.Packed});
    whole.Packed += part.Packed;
    // The last part holds the whole file's check value.
    whole.HasCrc = part.HasCrc;
    whole.Crc = part.Crc;
    whole.SplitAfter = part.SplitAfter;
  }
  return ERAR_SUCCESS;
}

int TUnrarHandle::ReadHeader(RARHeaderDataEx& header) {
  pending_ = false;
  const int r = mode_ == RAR_OM_LIST_INCSPLIT ? NextPart(current_.Part) : NextFile(current_);
  if (r != ERAR_SUCCESS) return r;
  if (mode_ == RAR_OM_LIST_INCSPLIT) current_.Volume = volumes_.size() - 1;
  ++fileIndex_;
  pending_ = true;
  const rar::TRarPart& p = current_.Part;
  CopyName(volumes_[current_.Volume], header.ArcName, header.ArcNameW);
  CopyName(p.Name, header.FileName, header.FileNameW);
  header.Flags = (p.SplitBefore ? RHDF_SPLITBEFORE : 0) | (p.SplitAfter ? RHDF_SPLITAFTER : 0) |
                 (p.Encrypted ? RHDF_ENCRYPTED : 0) | (p.Solid ? RHDF_SOLID : 0) |
                 (p.Directory ? RHDF_DIRECTORY : 0);
  header.PackSize = uint32_t(p.Packed);
  header.PackSizeHigh = uint32_t(p.Packed >> 32);
  header.UnpSize = uint32_t(p.Unpacked);
  header.UnpSizeHigh = uint32_t(p.Unpacked >> 32);
  header.HostOS = p.HostOS;
  header.FileCRC = p.Crc;
  header.FileTime = p.DosTime;
  header.UnpVer = p.UnpVer;
  header.Method = p.Method;
  header.FileAttr = p.Attr;
  header.DictSize = p.DictSizeKB;
  header.HashType = p.HasCrc ? RAR_HASH_CRC32 : p.HasBlake2 ? RAR_HASH_BLAKE2 : RAR_HASH_NONE;
  std::memcpy(header.Hash, p.Blake2.data(), sizeof header.Hash);
  header.RedirType = p.LinkType;
  const uint64_t mtime = p.UnixTime >= 0 ? UnixToFileTime(p.UnixTime) : 0;
  header.MtimeLow = uint32_t(mtime);
  header.MtimeHigh = uint32_t(mtime >> 32);
  return ERAR_SUCCESS;
}

int TUnrarHandle::Process(int operation) {
  if (!pending_) return ERAR_BAD_DATA;
  pending_ = false;
  // Listing only moves on; so does a skip. Solid data skipped is still decoded by libarchive
  // when a later entry needs it.
  if (mode_ != RAR_OM_EXTRACT || operation == RAR_SKIP) return ERAR_SUCCESS;
  // This layer writes no files: callers take the data through UCM_PROCESSDATA in test mode.
  if (operation != RAR_TEST) return ERAR_ECREATE;
  const rar::TRarPart& p = current_.Part;
  if (p.SplitBefore) return ERAR_UNKNOWN;  // its beginning is in a volume before this one
  if (p.Directory || p.LinkType != rar::kLinkNone) return ERAR_SUCCESS;
  if (p.Encrypted) return AskPassword();
  if (p.Method == 0x30) return CopyStored();
  // libarchive decodes the methods of RAR 2.9 to 4.x and RAR 5, not those of RAR 1.5 to 2
  // nor RAR 7's.
  if (p.Method != 0x30 && (p.UnpVer < 29 || p.UnpVer > 50)) return ERAR_UNKNOWN_FORMAT;
  return Decode();
}

int TUnrarHandle::AskPassword() {
  std::vector<wchar_t> password(kPasswordChars, 0);
  if (Callback(UCM_NEEDPASSWORDW, intptr_t(password.data()), intptr_t(password.size())) == -1 ||
      password[0] == 0)
    return ERAR_MISSING_PASSWORD;
  return ERAR_ENCRYPTION_UNSUPPORTED;
}

bool TUnrarHandle::Deliver(const uint8_t* data, size_t size) {
  return Callback(UCM_PROCESSDATA, intptr_t(data), intptr_t(size)) != -1;
}

int TUnrarHandle::CopyStored() {
  std::vector<uint8_t> buffer(kCopyBuffer);
  for (const TPiece& piece : current_.Pieces) {
    std::unique_ptr<TFileStream32> file = TFileStream32::Open(volumes_[piece.Volume], fmOpenRead);
    if (!file || !file->SetPosition(piece.DataStart)) return ERAR_EREAD;
    for (uint64_t left = piece.Size; left > 0;) {
      const int64_t want = int64_t(std::min<uint64_t>(left, buffer.size()));
      if (file->ReadFully(buffer.data(), want) != want) return ERAR_EREAD;
      if (!Deliver(buffer.data(), size_t(want))) return ERAR_CANCELLED;
      left -= uint64_t(want);
    }
  }
  return ERAR_SUCCESS;
}

int TUnrarHandle::Decode() {
  if (!data_) data_ = std::make_unique<TLibarchiveRar>(volumes_, start_);
  const rar::TRarPart& p = current_.Part;
  int r = data_->MoveTo(fileIndex_, {current_.Volume, p.HeaderStart, p.Unpacked, p.Directory});
  if (r == ERAR_SUCCESS)
    r = data_->Read([this](const uint8_t* d, size_t n) { return Deliver(d, n); });
  // libarchive before 3.7 reads no solid RAR 3 data.
  if (r == ERAR_BAD_DATA && p.Solid && !blocks_.Archive().Rar5) return ERAR_UNKNOWN_FORMAT;
  return r;
}

}  // namespace qel::unrar

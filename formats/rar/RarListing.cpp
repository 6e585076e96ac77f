#include "formats/rar/RarListing.h"

#include <memory>

#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"
#include "engine/text/Utf8.h"
#include "formats/rar/RarBlocks.h"
#include "formats/rar/RarCallbacks.h"

namespace qel::unrar {

namespace {

constexpr uint32_t kDosFolder = 0x10;
constexpr uint32_t kDosNormal = 0x80;
constexpr uint32_t kUnixType = 0xF000;
constexpr uint32_t kUnixFolder = 0x4000;
constexpr uint32_t kUnixFile = 0x8000;
constexpr uint32_t kUnixLink = 0xA000;

bool FromUnix(const RARHeaderDataEx& h) { return h.HostOS == rar::kHostUnix; }

}  // namespace

bool HeaderIsDirectory(const RARHeaderDataEx& h) { return h.Flags & RHDF_DIRECTORY; }

bool HeaderIsLink(const RARHeaderDataEx& h) {
  return h.RedirType != 0 || (FromUnix(h) && (h.FileAttr & kUnixType) == kUnixLink);
}

bool HeaderIsSpecial(const RARHeaderDataEx& h) {
  const uint32_t type = h.FileAttr & kUnixType;
  return FromUnix(h) && type != 0 && type != kUnixFile && type != kUnixFolder && type != kUnixLink;
}

std::string HeaderName(const RARHeaderDataEx& h, bool directory) {
  std::string name = text::WideToUtf8(h.FileNameW, std::size(h.FileNameW));
  if (directory && !name.empty() && name.back() != '/') name += '/';
  return name;
}

int64_t HeaderUnixTime(const RARHeaderDataEx& h) {
  const uint64_t filetime = (uint64_t(h.MtimeHigh) << 32) | h.MtimeLow;
  if (filetime) return FileTimeToUnix(filetime);
  return h.FileTime ? DosDateTimeToUnix(h.FileTime) : -1;
}

bool WalkRarListing(const TUnrarLibrary& lib, TZipCommon& owner, const std::string& archive,
                    const std::function<bool(const TRarListed&)>& entry, bool quiet) {
  TRarCallbacks callbacks(owner, !quiet);
  TUnrarArchive rar(lib, archive, RAR_OM_LIST_INCSPLIT, &TRarCallbacks::Entry,
                    reinterpret_cast<intptr_t>(&callbacks));
  int r = rar.OpenResult();
  if (r == ERAR_SUCCESS) {
    const auto header = std::make_unique<RARHeaderDataEx>();
    uint64_t packed = 0;
    std::string volume;
    while ((r = rar.ReadHeader(*header)) == ERAR_SUCCESS) {
      if (volume.empty()) volume = text::WideToUtf8(header->ArcNameW, std::size(header->ArcNameW));
      packed += (uint64_t(header->PackSizeHigh) << 32) | header->PackSize;
      if (!(header->Flags & RHDF_SPLITAFTER)) {
        TRarListed e{};
        e.Header = header.get();
        e.Directory = HeaderIsDirectory(*header);
        e.Link = HeaderIsLink(*header);
        e.Name = HeaderName(*header, e.Directory);
        e.Packed = packed;
        e.Unpacked = (uint64_t(header->UnpSizeHigh) << 32) | header->UnpSize;
        // From a Unix host, only whether it is a folder is told.
        e.Attr = !FromUnix(*header) ? header->FileAttr & 0xFFFF
                 : e.Directory      ? kDosFolder
                                    : kDosNormal;
        if (e.Directory) e.Attr |= kDosFolder;
        e.UnixTime = HeaderUnixTime(*header);
        e.Volume = volume;
        if (!entry(e)) return false;
        packed = 0;
        volume.clear();
      }
      if (owner.Cancel()) return false;
      // In the listing mode this only moves on, into the next volume where a file goes on.
      if ((r = rar.Process(RAR_TEST)) != ERAR_SUCCESS) break;
    }
  }
  if (r == ERAR_END_ARCHIVE) return true;
  const int code = r == ERAR_BAD_DATA ? msg::BadFileHeader : UnrarResultMessage(r);
  if (code && !quiet && !owner.Cancel() && !callbacks.VolumeRefused())
    owner.DoError(archive, "", code, "");
  return false;
}

}  // namespace qel::unrar

#include "engine/list/EntryText.h"

#include <array>
#include <string_view>

namespace qel {

int CalcRatio(uint64_t unpacked, uint64_t packed) {
  if (unpacked == 0 || packed >= unpacked) return 0;
  // 100 x saved / unpacked without overflow, rounded half to even.
  unsigned __int128 num = static_cast<unsigned __int128>(unpacked - packed) * 100;
  uint64_t q = uint64_t(num / unpacked);
  unsigned __int128 twice = (num % unpacked) * 2;
  if (twice > unpacked || (twice == unpacked && (q & 1))) ++q;
  return int(q);
}

std::string GetAttrText(TArcType type, uint32_t attr, char fill, bool unixHost) {
  if (IsNotArchive(type)) return {};
  const bool unixForm =
      unixHost && (type == atAce || type == atAceExe || type == atRar || type == atRarExe);
  if (!unixForm) {
    std::string t(5, fill);
    if (attr & 0x20) t[0] = 'a';
    if (attr & 0x10) t[0] = 'd';
    if (attr & 0x01) t[1] = 'r';
    if (attr & 0x04) t[2] = 's';
    if (attr & 0x02) t[3] = 'h';
    if (attr & 0x4000) t[3] = 'e';
    return t;
  }
  std::string t(10, fill);
  if (attr & 0x4000) t[0] = 'd';
  // Owner, group, others: read, write, execute, with set-id shown in the execute place.
  const uint32_t setId[3] = {0x800, 0x400, 0};
  for (int who = 0; who < 3; ++who) {
    const int shift = 6 - 3 * who;
    const size_t at = size_t(1 + 3 * who);
    if (attr & (0x4u << shift)) t[at] = 'r';
    if (attr & (0x2u << shift)) t[at + 1] = 'w';
    const bool exec = attr & (0x1u << shift);
    if (setId[who] && (attr & setId[who]))
      t[at + 2] = exec ? 's' : 'S';
    else if (exec)
      t[at + 2] = 'x';
  }
  return t;
}

std::string HostName(TArcType type, uint16_t versionMadeBy) {
  const size_t host = versionMadeBy >> 8;
  if (IsZipFamily(type) || type == atZipDS || type == atZipMV) {
    static constexpr std::array<std::string_view, 20> kZip = {
        "FAT",       "AMIGA",    "VMS",  "Unix",    "VM/CMS", "Atari",    "HPFS",
        "Macintosh", "Z-System", "CP/M", "TOPS-20", "NTFS",   "SMS/QDOS", "Acorn",
        "VFAT",      "MVS",      "BeOS", "Tandem",  "OS/400", "OS/X"};
    return host < kZip.size() ? std::string(kZip[host]) : std::to_string(host);
  }
  if (type == atRar || type == atRarExe) {
    static constexpr std::array<std::string_view, 6> kRar = {"MS DOS", "OS/2",   "Win32",
                                                             "Unix",   "Mac OS", "BeOS"};
    return host < kRar.size() ? std::string(kRar[host]) : std::to_string(host);
  }
  return {};
}

}  // namespace qel

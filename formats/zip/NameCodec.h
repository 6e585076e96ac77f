// Entry names of ZIP headers: which code page a stored name is read in, and how a name is
// stored. General-purpose bit 11 is never consulted nor set: a stored name that is valid
// UTF-8 is read as UTF-8, and names are written either in the OEM code page or as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/zip/ExtraFields.h"

namespace qel::zip {

// Version made by: 2.0 on host 0 (FAT) for names in the OEM code page, 2.0 on host 11
// (NTFS) for names stored as UTF-8 (or as raw bytes).
inline constexpr uint16_t kMadeByOem = 20;
inline constexpr uint16_t kMadeByUtf8 = 0x0B14;
// Version made by 3.0 on host 3 (Unix): what the writer records, so that the upper half of
// the external attributes carries the file's mode. Its names are read like host 11's.
inline constexpr uint16_t kMadeByUnix = 0x031E;
// General-purpose flag bit 11: the name (and comment) is UTF-8.
inline constexpr uint16_t kFlagUtf8Name = 0x0800;

// The name of a central header: a Unicode path field wins; otherwise hosts 0 use the OEM
// code page and every other host the ANSI code page. Separators come out as "/".
std::string DecodeCentralName(std::string_view stored, uint16_t versionMadeBy,
                              const TZipExtra& extra);
// The name of a local header (which has no host byte): as above, with the ANSI code page.
std::string DecodeLocalName(std::string_view stored, const TZipExtra& extra);

struct TEncodedName {
  std::string Bytes;
  uint16_t VersionMadeBy = kMadeByOem;
};

// Stores `name` ("/"-separated, as the format requires). It goes into the OEM code page when
// the stored bytes read back as exactly the same name; otherwise it is stored as UTF-8. A
// name that is not valid UTF-8 (raw bytes from a legacy file system) is stored as it is,
// never transcoded, and marked like a UTF-8 name so that readers take it in the ANSI code
// page, the nearest guess for such names.
TEncodedName EncodeName(std::string_view name);

}  // namespace qel::zip

// The RAR listing walk the lister and TUnRar share: the archive opened for listing with its
// split parts, each file reported once when its last part is read, with the packed sizes of
// all its parts added up. TUnRar counts with it what an extraction will take.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "formats/rar/UnrarApi.h"
#include "formats/rar/UnrarBinding.h"

namespace qel {

class TZipCommon;

namespace unrar {

// One listed entry, from the header of its last part.
struct TRarListed {
  std::string Name;  // "/"-separated; a folder's ends with "/"
  const RARHeaderDataEx* Header;
  uint64_t Packed;  // all parts together
  uint64_t Unpacked;
  uint32_t Attr;  // DOS bits (from a Unix host: folder 0x10, otherwise 0x80)
  bool Directory;
  bool Link;           // a link of some kind: listed, never made
  int64_t UnixTime;    // the modification time to the second
  std::string Volume;  // where the entry starts
};

// The wide name of a header, "/"-separated, a folder's with "/" at the end.
std::string HeaderName(const RARHeaderDataEx& h, bool directory);
bool HeaderIsDirectory(const RARHeaderDataEx& h);
bool HeaderIsLink(const RARHeaderDataEx& h);
// A device, pipe or socket from a Unix host: neither file, folder nor link.
bool HeaderIsSpecial(const RARHeaderDataEx& h);
// -1 when the header holds no time.
int64_t HeaderUnixTime(const RARHeaderDataEx& h);

// Walks `archive`, calling `entry` for each file and folder; `entry` answers false to
// stop. Reports what goes wrong on `owner` (the end of the archive is no error) and
// answers false when the walk did not reach the end. A `quiet` walk asks for no volume
// and reports nothing: it only counts, before a walk that does both.
bool WalkRarListing(const TUnrarLibrary& lib, TZipCommon& owner, const std::string& archive,
                    const std::function<bool(const TRarListed&)>& entry, bool quiet = false);

}  // namespace unrar
}  // namespace qel

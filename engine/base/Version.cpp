#include "engine/base/Version.h"

#include <bzlib.h>
#include <libdeflate.h>
#include <zlib.h>

namespace qel {

std::string ProgramVersion() { return VK_VERSION; }

std::string EngineLibraries() {
  // libbz2 reports "1.0.8, 13-Jul-2019": the version is what comes before the comma.
  const std::string bzip2 = BZ2_bzlibVersion();
  return std::string("zlib ") + zlibVersion() + ", libdeflate " + LIBDEFLATE_VERSION_STRING +
         ", libbz2 " + bzip2.substr(0, bzip2.find(','));
}

}  // namespace qel

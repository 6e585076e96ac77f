#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {

std::span<const FuzzTarget> FuzzTargets() {
  static constexpr FuzzTarget kTargets[] = {
      {"detection", FuzzDetection},
      {"ziplister", FuzzZipLister},
      {"zipreader", FuzzZipReader},
      {"inflate", FuzzInflate},
      {"deflate64", FuzzDeflate64},
      {"zipfix", FuzzZipFix},
      {"sfx", FuzzSfx},
      {"rename", FuzzRename},
      {"lzh", FuzzLzh},
      {"lha", FuzzLha},
      {"legacyzip", FuzzLegacyZip},
      {"ppmd", FuzzPpmd},
      {"bzip2", FuzzBzip2},
  };
  return kTargets;
}

}  // namespace vk::fuzz

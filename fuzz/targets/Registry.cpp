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
      {"tar", FuzzTar},
      {"packed", FuzzPacked},
      {"cab", FuzzCab},
      {"arj", FuzzArj},
      {"arc", FuzzArc},
      {"zoo", FuzzZoo},
      {"ha", FuzzHa},
      {"bh", FuzzBh},
      {"rar", FuzzRar},
      {"ace", FuzzAce},
      {"uue", FuzzUue},
      {"legacyzip", FuzzLegacyZip},
      {"legacyarc", FuzzLegacyArc},
      {"ppmd", FuzzPpmd},
      {"bzip2", FuzzBzip2},
      {"lzw", FuzzLzw},
  };
  return kTargets;
}

}  // namespace vk::fuzz

#include "app/core/ArcTypeNames.h"

#include <array>

namespace vk::app {

QString ArcTypeDisplayName(qel::TArcType type) {
  // In the order of TArcType.
  static constexpr std::array<const char*, qel::ArcTypeCount> kNames = {"",
                                                                        "",
                                                                        "",
                                                                        "",
                                                                        "ACE archive",
                                                                        "ACE self-extractor",
                                                                        "ARC archive",
                                                                        "ARC self-extractor",
                                                                        "ARJ archive",
                                                                        "ARJ self-extractor",
                                                                        "MIME Base64 file",
                                                                        "BH archive",
                                                                        "BH self-extractor",
                                                                        "BZIP2 file",
                                                                        "Cabinet",
                                                                        "Cabinet self-extractor",
                                                                        "GZIP file",
                                                                        "HA archive",
                                                                        "Java archive",
                                                                        "Java self-extractor",
                                                                        "LHA archive",
                                                                        "LHA self-extractor",
                                                                        "LZH archive",
                                                                        "LZH self-extractor",
                                                                        "Compressed file",
                                                                        "PAK archive",
                                                                        "PAK self-extractor",
                                                                        "RAR archive",
                                                                        "RAR self-extractor",
                                                                        "TAR archive",
                                                                        "TAR+GZIP archive",
                                                                        "TAR+BZIP2 archive",
                                                                        "UU/XX encoded file",
                                                                        "ZIP archive",
                                                                        "ZIP self-extractor",
                                                                        "Spanned ZIP archive",
                                                                        "Multi-volume ZIP archive",
                                                                        "QELX container",
                                                                        "ZOO archive",
                                                                        "7-Zip archive"};
  const int index = int(type);
  return index < int(kNames.size()) ? QString::fromLatin1(kNames[size_t(index)]) : QString();
}

}  // namespace vk::app

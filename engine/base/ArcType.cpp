#include "engine/base/ArcType.h"

#include <array>

namespace qel {

std::string_view ArcTypeName(TArcType t) {
  static constexpr std::array<std::string_view, ArcTypeCount> kNames = {
      "atNA",     "atUnsupported", "atFileOpenErr", "atUnknown", "atAce", "atAceExe", "atArc",
      "atArcExe", "atArj",         "atArjExe",      "atB64",     "atBh",  "atBhExe",  "atBz2",
      "atCab",    "atCabExe",      "atGZip",        "atHA",      "atJar", "atJarExe", "atLha",
      "atLhaExe", "atLzh",         "atLzhExe",      "atMsGZ",    "atPak", "atPakExe", "atRar",
      "atRarExe", "atTar",         "atTarGz",       "atTarBz",   "atUUE", "atZip",    "atZipExe",
      "atZipDS",  "atZipMV",       "atQelX",        "atZoo",     "at7Zip"};
  return unsigned(t) < kNames.size() ? kNames[t] : std::string_view();
}

}  // namespace qel

// The kinds of archive the engine tells apart, in their stored order.
#pragma once

#include <cstdint>
#include <string_view>

namespace qel {

enum TArcType : uint8_t {
  atNA,
  atUnsupported,
  atFileOpenErr,
  atUnknown,
  atAce,
  atAceExe,
  atArc,
  atArcExe,
  atArj,
  atArjExe,
  atB64,
  atBh,
  atBhExe,
  atBz2,
  atCab,
  atCabExe,
  atGZip,
  atHA,
  atJar,
  atJarExe,
  atLha,
  atLhaExe,
  atLzh,
  atLzhExe,
  atMsGZ,
  atPak,
  atPakExe,
  atRar,
  atRarExe,
  atTar,
  atTarGz,
  atTarBz,
  atUUE,
  atZip,
  atZipExe,
  atZipDS,
  atZipMV,
  atQelX,
  atZoo,
  at7Zip
};
inline constexpr int ArcTypeCount = int(at7Zip) + 1;

// "Not an archive": nothing the engine can read was recognised.
constexpr bool IsNotArchive(TArcType t) {
  return t == atNA || t == atUnsupported || t == atFileOpenErr || t == atUnknown;
}
constexpr bool IsRecognised(TArcType t) { return !IsNotArchive(t); }
constexpr bool IsZipFamily(TArcType t) {
  return t == atJar || t == atJarExe || t == atZip || t == atZipExe;
}

// The enumeration name as spelled in the code ("atZip"), or "" for a value out of range.
std::string_view ArcTypeName(TArcType t);

}  // namespace qel

#include "engine/detect/MethodName.h"

#include <array>
#include <string_view>

namespace qel {
namespace {

constexpr std::string_view kUnsupported = "Unsupported";
constexpr std::string_view kDir = "<Dir>";

template <size_t N>
std::string_view Pick(const std::array<std::string_view, N>& names, int index) {
  return index >= 0 && size_t(index) < N ? names[size_t(index)] : kUnsupported;
}

// Bits 1-2 of the general-purpose flags carry the Deflate option; the other bits (cipher,
// data descriptor, UTF-8 names...) say nothing about it.
int DeflateOption(uint16_t flags) { return (flags >> 1) & 3; }

std::string_view ZipName(int method, uint16_t flags, const TMethodContext& ctx, int depth) {
  static constexpr std::array<std::string_view, 8> kLow = {
      "Stored", "Shrunk", "Reduce-1", "Reduce-2", "Reduce-3", "Reduce-4", "Imploded", "Tokened"};
  static constexpr std::array<std::string_view, 4> kDeflate = {"DFLT-N", "DFLT-X", "DFLT-F",
                                                               "DFLT-S"};
  if (method >= 0 && method <= 7) return kLow[size_t(method)];
  switch (method) {
    case 8:
    case 9:
      return kDeflate[size_t(DeflateOption(flags))];
    case 10:
      return "DCL-implode";
    case 12:
      return "BZip2";
    case 98:
      return "PPMDi1";
    case 99:
      if (depth == 0 && ctx.AesActualMethod >= 0 && ctx.AesActualMethod != 99)
        return ZipName(ctx.AesActualMethod, flags, ctx, 1);
      return kUnsupported;
    default:
      return ctx.IsDirectory ? kDir : kUnsupported;
  }
}

std::string_view BhName(int method, uint16_t flags) {
  static constexpr std::array<std::string_view, 4> kLow = {"Stored", "Fused1", "Deflate", "Fused3"};
  static constexpr std::array<std::string_view, 4> kBZip2 = {"BZip2-N", "BZip2-X", "BZip2-F",
                                                             "BZip2-S"};
  if (method >= 0 && method <= 3) return kLow[size_t(method)];
  // The level bits 1-2 name a BZIP2 entry's block size. A Deflate entry carries the same
  // bits for its level, and is named Deflate whatever they are.
  if (method == 12) return kBZip2[size_t((flags >> 1) & 3)];
  if (method != 8) return kUnsupported;
  switch (flags) {
    case 7:
      return "DFLT-64N";
    case 9:
      return "DFLT-64X";
    case 11:
      return "DFLT-64F";
    case 13:
      return "DFLT-64S";
    default:
      return "Deflate";
  }
}

}  // namespace

std::string MethodName(TArcType type, int method, uint16_t flags, const TMethodContext& ctx) {
  switch (type) {
    case atZip:
    case atZipExe:
    case atJar:
    case atJarExe:
    case atZipDS:
    case atZipMV:
      return std::string(ZipName(method, flags, ctx, 0));
    case atBh:
    case atBhExe:
      return std::string(BhName(method, flags));
    case atArj:
    case atArjExe: {
      static constexpr std::array<std::string_view, 5> k = {"Stored", "Most", "2nd Most",
                                                            "2nd Fast", "Fastest"};
      return std::string(ctx.IsDirectory ? kDir : Pick(k, method));
    }
    case atArc:
    case atArcExe: {
      // Methods 5 to 8 are the crunching variants (8 the dynamic one), 9 squashing; 10
      // and 11 are PAK's own.
      static constexpr std::array<std::string_view, 11> k = {
          "Stored",   "Stored",   "Packed",   "Squeezed", "Crunched", "Crunched",
          "Crunched", "Crunched", "Squashed", "Crushed",  "Distill"};
      return std::string(ctx.IsDirectory ? kDir : Pick(k, method - 1));
    }
    case atPak:
    case atPakExe: {
      static constexpr std::array<std::string_view, 11> k = {
          "Stored",   "Stored",  "RLE",     "Squeezed", "FixedLen", "FixedLen",
          "FixedLen", "Varible", "Varible", "Crushed",  "Distill"};
      return std::string(Pick(k, method - 1));
    }
    case atAce:
    case atAceExe: {
      static constexpr std::array<std::string_view, 6> k = {"Fastest", "Fast", "Normal",
                                                            "Good",    "Best", "Lzw"};
      return std::string(Pick(k, method));
    }
    case atBz2:
      // The stream header's block-size digit stands for the method.
      if (method == 0) return "Stored";
      if (method >= 1 && method <= 9) return "BZ'd";
      return std::string(kUnsupported);
    case atCab:
    case atCabExe: {
      static constexpr std::array<std::string_view, 4> k = {"Stored", "MsZIP", "Quantum", "Lzx"};
      int low = method & 15;
      return low < 4 ? std::string(k[size_t(low)]) : "Lzx" + std::to_string(low);
    }
    case atGZip:
      if (method == 0) return "Stored";
      if (method == 8) return "Deflate";
      if (method == 144) return "LzwMAGIC";
      if (ctx.GZipMagic == 0x1E) return "PackMAGIC";
      if (ctx.GZipMagic == 0xA0) return "LzhMAGIC";
      return std::string(kUnsupported);
    case atHA: {
      static constexpr std::array<std::string_view, 3> k = {"Cpy", "Asc", "HSC"};
      if (method == 14) return std::string(kDir);
      if (method == 15) return "Special";
      return std::string(Pick(k, method));
    }
    case atLha:
    case atLhaExe:
    case atLzh:
    case atLzhExe: {
      static constexpr std::array<std::string_view, 8> k = {"Stored",   "Frozen-1", "Frozen-2",
                                                            "Frozen-3", "Frozen-4", "Frozen-5",
                                                            "Frozen-6", "Frozen-7"};
      if (method == 100) return std::string(kDir);
      return std::string(Pick(k, method - '0'));
    }
    case atRar:
    case atRarExe: {
      static constexpr std::array<std::string_view, 6> k = {"Stored", "Fastest", "Fast",
                                                            "Normal", "Good",    "Best"};
      return std::string(ctx.IsDirectory ? kDir : Pick(k, method - '0'));
    }
    case atTar:
      if (method == 0) return "Tarred";
      return std::string(ctx.IsDirectory ? kDir : kUnsupported);
    case atZoo: {
      static constexpr std::array<std::string_view, 3> k = {"Stored", "Fastest", "Greatest"};
      return std::string(Pick(k, method));
    }
    case at7Zip: {
      static constexpr std::array<std::string_view, 13> k = {
          "Stored",    "Shrink",  "Reduced1",  "Reduced2",   "Reduced3", "Reduced4", "Implode",
          "Tokenized", "Deflate", "Deflate64", "PKImplding", "Unknown",  "BZip2"};
      return std::string(Pick(k, method));
    }
    default:
      return std::string(kUnsupported);
  }
}

}  // namespace qel

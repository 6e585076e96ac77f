#include "engine/detect/Classify.h"

namespace qel::detect {
namespace {

TClassification Type(TArcType plain, TArcType exe, ClassifyMode mode) {
  return {mode == ClassifyMode::Plain ? plain : exe};
}

bool Printable(uint8_t c) { return c > 0x20 && c < 0x7F; }

bool Is(const uint8_t* b, const char (&s)[5]) {
  return b[0] == uint8_t(s[0]) && b[1] == uint8_t(s[1]) && b[2] == uint8_t(s[2]) &&
         b[3] == uint8_t(s[3]);
}

}  // namespace

TClassification Classify(const uint8_t b[4], ClassifyMode mode) {
  // Full four-byte rows first, then the two-byte rows, in the table's order.
  if (b[0] == 'B' && b[1] == 'H' && b[2] == 0x05 && b[3] == 0x07) return Type(atBh, atBhExe, mode);
  if (Is(b, "ZOO ")) return Type(atZoo, atUnsupported, mode);
  if (Is(b, "Rar!")) return Type(atRar, atRarExe, mode);
  if (Is(b, "PKG5")) return {atUnknown};
  if (Is(b, "MSCF")) return Type(atCab, atCabExe, mode);
  if (b[0] == 0xB7 && b[1] == 0xDF && b[2] == 'T' && b[3] == 'W') {
    if (mode == ClassifyMode::Plain) return {atArc};
    return {atArcExe, ClassifyFollowUp::None, true};
  }
  if (Is(b, "qelx")) return {atQelX};
  if (b[0] == 0x13 && b[1] == 0x5D && b[2] == 0x65 && b[3] == 0x8C)
    return Type(atMsGZ, atUnsupported, mode);
  if (b[0] == 0x37 && b[1] == 0x7A && b[2] == 0xBC && b[3] == 0xAF) return {at7Zip};

  if (b[2] == '-' && b[3] == 'l') return Type(atLha, atLhaExe, mode);
  if (b[0] == 0x1A) {
    switch (b[1]) {
      case 0x02:
      case 0x1E:
        return Type(atArc, atUnsupported, mode);
      // ARC stores a small first file packed (3), and old archives open with a stored (1)
      // or crunched record. The name must start with a printable character, which keeps
      // out other files that begin with these bytes; after 1A 01 (terminfo's magic, whose
      // next two bytes are a small count) so must its second character.
      case 0x01:
      case 0x03:
      case 0x05:
      case 0x06:
      case 0x07:
        if (Printable(b[2]) && (b[1] != 0x01 || Printable(b[3])))
          return Type(atArc, atUnsupported, mode);
        break;
      case 0x04:
      case 0x08:
      case 0x09:
        return Type(atArc, atArcExe, mode);
      case 0x0A:
      case 0x0B:
        return Type(atPak, atPakExe, mode);
      default:
        break;
    }
  }
  if ((b[0] == 0x1F &&
       (b[1] == 0x1E || b[1] == 0x8B || b[1] == 0x9D || b[1] == 0x9E || b[1] == 0xA0)) ||
      (b[0] == '%' && b[1] == '!'))
    return Type(atGZip, atUnsupported, mode);
  if (b[0] == 'H' && b[1] == 'A') return Type(atHA, atUnsupported, mode);
  if (b[0] == 'P' && (b[1] == 'K' || b[1] == 'L')) {
    if (b[2] == 0x01 && b[3] == 0x02) return {atNA, ClassifyFollowUp::SpanSplitThenFind};
    if (b[2] == 0x07 && b[3] == 0x08) return {atNA, ClassifyFollowUp::SpanSplit};
    // Package formats of other makers that share the first letters.
    if ((b[2] == 'G' && b[3] == '4') || (b[2] == 'C' && b[3] == 'I')) return {atNA};
    return Type(atZip, atZipExe, mode);
  }
  if (b[0] == 'Z' && b[1] == 'O') return Type(atZoo, atUnsupported, mode);
  if (b[0] == 0xB7 && (b[1] == 0x92 || b[1] == 0xDF))
    return {atArcExe, ClassifyFollowUp::None, true};
  if (b[0] == 0x60 && b[1] == 0xEA) return Type(atArj, atArjExe, mode);
  return {atNA};
}

}  // namespace qel::detect

#include "engine/text/CodePages.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "engine/text/CodePageTables.h"
#include "engine/text/Utf8.h"

namespace qel::text {
namespace {

// Both numbers of the pair in one word, so that readers never see half of an update.
std::atomic<uint32_t> gPair{uint32_t(kDefaultOemCodePage) << 16 | kDefaultAnsiCodePage};

bool InRange(int codePage) { return codePage > 0 && codePage <= 0xFFFF; }

std::string IconvName(int codePage) { return "CP" + std::to_string(codePage); }

// One conversion descriptor, opened per call: descriptors carry state and are not shared.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (Ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Ok() const { return cd_ != iconv_t(-1); }

  // Converts all of `in`. Strict: any unconvertible input fails. Lenient (decoding to UTF-8
  // only): an unconvertible input byte becomes U+FFFD and the conversion goes on after it.
  bool Convert(std::string_view in, std::string& out, bool lenient) {
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char buffer[256];
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      const size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      out.append(buffer, size_t(outPtr - buffer));
      if (result != size_t(-1)) {
        // A nonzero count means characters were replaced by look-alikes: not exact.
        if (result != 0 && !lenient) return false;
        continue;
      }
      if (error == E2BIG) continue;
      if (!lenient) return false;
      AppendUtf8(out, kReplacementChar);
      ++inPtr;
      --inLeft;
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == size_t(-1)) return false;
    out.append(buffer, size_t(outPtr - buffer));
    return true;
  }

 private:
  iconv_t cd_;
};

std::string DecodeBuiltin(const char16_t* upper, std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const uint8_t b = uint8_t(c);
    if (b < 0x80) {
      out += c;
    } else {
      AppendUtf8(out, upper[b - 0x80]);
    }
  }
  return out;
}

std::optional<std::string> EncodeBuiltin(const char16_t* upper, std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  char32_t cp;
  for (size_t pos = 0; pos < utf8.size();) {
    const size_t n = DecodeUtf8Char(utf8, pos, cp);
    if (n == 0) return std::nullopt;
    pos += n;
    if (cp < 0x80) {
      out += char(cp);
      continue;
    }
    size_t i = 0;
    while (i < 128 && upper[i] != cp) ++i;
    if (i == 128) return std::nullopt;
    out += char(0x80 + i);
  }
  return out;
}

}  // namespace

TCodePagePair CodePages() {
  const uint32_t packed = gPair.load();
  return {int(packed >> 16), int(packed & 0xFFFF)};
}

bool SetCodePages(TCodePagePair pair) {
  if (!IsCodePageAvailable(pair.Oem) || !IsCodePageAvailable(pair.Ansi)) return false;
  gPair.store(uint32_t(pair.Oem) << 16 | uint32_t(pair.Ansi));
  return true;
}

bool IsCodePageAvailable(int codePage) {
  if (!InRange(codePage)) return false;
  return BuiltinUpperHalf(codePage) || Converter("UTF-8", IconvName(codePage)).Ok();
}

std::optional<std::string> DecodeCodePage(int codePage, std::string_view bytes) {
  if (!InRange(codePage)) return std::nullopt;
  if (const char16_t* upper = BuiltinUpperHalf(codePage)) return DecodeBuiltin(upper, bytes);
  Converter converter("UTF-8", IconvName(codePage));
  std::string out;
  if (!converter.Ok() || !converter.Convert(bytes, out, true)) return std::nullopt;
  return out;
}

std::optional<std::string> EncodeCodePage(int codePage, std::string_view utf8) {
  if (!InRange(codePage) || !IsValidUtf8(utf8)) return std::nullopt;
  if (const char16_t* upper = BuiltinUpperHalf(codePage)) return EncodeBuiltin(upper, utf8);
  Converter converter(IconvName(codePage), "UTF-8");
  std::string out;
  if (!converter.Ok() || !converter.Convert(utf8, out, false)) return std::nullopt;
  return out;
}

}  // namespace qel::text

#include "formats/zip/SfxSettings.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/base/Bytes.h"

namespace qel {
namespace {

// The texts in the order of their lengths and bytes in the block.
std::array<const std::string*, 5> Texts(const TSfxSettings& s) {
  return {&s.DialogTitle, &s.DefaultExtractPath, &s.CommandLine, &s.FallbackExtractPath,
          &s.Message};
}

std::array<std::string*, 5> Texts(TSfxSettings& s) {
  return {&s.DialogTitle, &s.DefaultExtractPath, &s.CommandLine, &s.FallbackExtractPath,
          &s.Message};
}

size_t RoundUp4(size_t n) { return (n + 3) & ~size_t(3); }

bool Signed(const uint8_t* p, const uint8_t (&signature)[4]) {
  return std::memcmp(p, signature, sizeof signature) == 0;
}

}  // namespace

void TSfxSettings::Set(TSFXOption option, bool on) {
  const uint16_t bit = uint16_t(1u << unsigned(option));
  Options = on ? uint16_t(Options | bit) : uint16_t(Options & ~bit);
}

size_t TSfxSettings::Size() const {
  size_t size = kFixedSize;
  for (const std::string* text : Texts(*this)) size += text->size();
  return RoundUp4(size);
}

std::optional<std::vector<uint8_t>> TSfxSettings::Serialize() const {
  for (const std::string* text : Texts(*this))
    if (text->size() > kMaxTextSize) return std::nullopt;
  const size_t size = Size();
  std::vector<uint8_t> b(size + kTrailerSize, 0);
  std::memcpy(&b[0], kBlockSignature, sizeof kBlockSignature);
  PutU16(&b[kSizeAt], uint16_t(size));
  PutU16(&b[kOptionsAt], Options);
  b[kOverwriteModeAt] = uint8_t(OverwriteMode);
  size_t at = kFixedSize;
  int n = 0;
  for (const std::string* text : Texts(*this)) {
    b[kLengthsAt + n++] = uint8_t(text->size());
    std::copy(text->begin(), text->end(), b.begin() + ptrdiff_t(at));
    at += text->size();
  }
  PutU32(&b[kMessageFlagsAt], MessageFlags);
  std::memcpy(&b[size], kTrailerSignature, sizeof kTrailerSignature);
  PutU32(&b[size + 4], uint32_t(size));
  return b;
}

std::optional<size_t> TSfxSettings::BlockSize(std::span<const uint8_t> trailer) {
  if (trailer.size() != kTrailerSize || !Signed(trailer.data(), kTrailerSignature))
    return std::nullopt;
  const uint32_t size = GetU32(&trailer[4]);
  // S is stored in 16 bits at the block's start as well.
  if (size < RoundUp4(kFixedSize) || size > 0xFFFF || size % 4 != 0) return std::nullopt;
  return size_t(size) + kTrailerSize;
}

std::optional<TSfxSettings> TSfxSettings::Parse(std::span<const uint8_t> block) {
  if (block.size() < kFixedSize + kTrailerSize) return std::nullopt;
  const size_t size = block.size() - kTrailerSize;
  if (!Signed(block.data(), kBlockSignature) || GetU16(&block[kSizeAt]) != size)
    return std::nullopt;
  if (BlockSize(block.subspan(size)) != block.size()) return std::nullopt;

  TSfxSettings s;
  s.Options = GetU16(&block[kOptionsAt]);
  if (block[kOverwriteModeAt] > uint8_t(TSFXOverwriteMode::somAsk)) return std::nullopt;
  s.OverwriteMode = TSFXOverwriteMode(block[kOverwriteModeAt]);
  s.MessageFlags = GetU32(&block[kMessageFlagsAt]);
  size_t at = kFixedSize;
  int n = 0;
  for (std::string* text : Texts(s)) {
    const size_t length = block[kLengthsAt + n++];
    if (at + length > size) return std::nullopt;
    text->assign(reinterpret_cast<const char*>(&block[at]), length);
    // A NUL would cut a path or a command short where it is used.
    if (text->find('\0') != std::string::npos) return std::nullopt;
    at += length;
  }
  if (RoundUp4(at) != size) return std::nullopt;
  if (std::any_of(block.begin() + ptrdiff_t(at), block.begin() + ptrdiff_t(size),
                  [](uint8_t b) { return b != 0; }))
    return std::nullopt;
  return s;
}

}  // namespace qel

// The settings block a ZIP self-extractor may carry between its stub and its archive: the
// texts and choices the stub acts on when it runs. The block ends where the archive's first
// local header begins, with a trailer that repeats its size, so the stub finds it from the
// archive's directory without knowing how large the stub itself is.
//
// Layout, little-endian:
//   +0  "DZ" 00 01            +4  u16 S              +6  u16 Options
//   +8  u8 OverwriteMode      +9  five u8 text lengths, in the order of the texts below
//   +14 u32 MessageFlags      +18 the texts, no terminators, then zeros up to S
//   +S  "DZ" 0A 01            +S+4 u32 S
// S is 18 plus the text lengths, rounded up to a multiple of 4.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qel {

inline constexpr uint8_t kBlockSignature[4] = {'D', 'Z', 0x00, 0x01};
inline constexpr uint8_t kTrailerSignature[4] = {'D', 'Z', 0x0A, 0x01};
inline constexpr size_t kSizeAt = 4;
inline constexpr size_t kOptionsAt = 6;
inline constexpr size_t kOverwriteModeAt = 8;
inline constexpr size_t kLengthsAt = 9;
inline constexpr size_t kMessageFlagsAt = 14;
inline constexpr size_t kFixedSize = 18;   // everything before the texts
inline constexpr size_t kTrailerSize = 8;  // its signature and S
inline constexpr size_t kMaxTextSize = 255;

// Bit n of Options is element n.
enum class TSFXOption : uint8_t {
  soAskCmdLine,
  soAskFiles,
  soHideOverWriteBox,
  soAutoRun,
  soNoSuccessMsg,
  soExpandVariables,
  soInitiallyHideFiles,
  soForceHideFiles,
  soCheckAutoRunFileName,
  soCanBeCancelled,
  soDetached,
  soCreateEmptyDirs,
};

enum class TSFXOverwriteMode : uint8_t { somOverwrite = 0, somSkip = 1, somAsk = 2 };

// The MessageFlags that make the message a question: OK/Cancel and Yes/No.
inline constexpr uint32_t kMessageOkCancel = 65;
inline constexpr uint32_t kMessageYesNo = 36;

struct TSfxSettings {
  uint16_t Options = 0;
  TSFXOverwriteMode OverwriteMode = TSFXOverwriteMode::somAsk;
  std::string DialogTitle;
  std::string DefaultExtractPath;
  std::string CommandLine;
  std::string FallbackExtractPath;
  std::string Message;
  uint32_t MessageFlags = 0;

  bool operator==(const TSfxSettings&) const = default;
  bool Has(TSFXOption option) const { return (Options >> unsigned(option)) & 1; }
  void Set(TSFXOption option, bool on = true);

  // S: the block's size without its trailer.
  size_t Size() const;
  // The block with its trailer, as it goes in front of the archive; nothing when a text is
  // longer than kMaxTextSize bytes.
  std::optional<std::vector<uint8_t>> Serialize() const;

  // A whole block, from its signature through its trailer. Nothing unless every part agrees:
  // both signatures, S three times, the texts inside S, the zero fill, a known overwrite
  // mode and texts without NUL bytes.
  static std::optional<TSfxSettings> Parse(std::span<const uint8_t> block);
  // The size of the whole block (S plus the trailer) that `trailer`, the 8 bytes in front of
  // the archive, closes; nothing when they are no trailer.
  static std::optional<size_t> BlockSize(std::span<const uint8_t> trailer);
};

}  // namespace qel

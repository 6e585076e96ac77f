#include "engine/detect/Detection.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "engine/base/Bytes.h"
#include "engine/detect/ArchiveExts.h"
#include "engine/detect/Classify.h"
#include "engine/detect/PeStrings.h"
#include "engine/detect/Probes.h"
#include "engine/detect/SpanDecision.h"
#include "engine/detect/TailSearch.h"
#include "engine/streams/Stream.h"
#include "engine/text/Utf8.h"

namespace qel {
namespace {

using detect::Classify;
using detect::ClassifyFollowUp;
using detect::ClassifyMode;

constexpr int64_t kHeadSize = 32768;
constexpr int64_t kMinSize = 20;
constexpr int64_t kMinZipExeStart = 10000;

bool EqualsNoCase(const uint8_t* p, std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i)
    if (std::toupper(p[i]) != std::toupper(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

bool IsDecimal(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One run of detection over one stream.
class TDetector {
 public:
  TDetector(TStream64& stream, const TDetectInput& input, TDetectResult& result)
      : s_(stream), in_(input), r_(result) {}

  TArcType Run() {
    r_ = TDetectResult();
    size_ = r_.ArchiveSize = std::max<int64_t>(s_.Size(), 0);
    if (IsEmptyByName()) {
      r_.HeaderOffset = 0;
      return ArcTypeOfName(in_.FileName);
    }
    head_.resize(size_t(std::min(size_, kHeadSize)));
    head_.resize(size_t(s_.ReadAt(0, head_.data(), int64_t(head_.size()))));
    if (IsEmptyTar()) {
      r_.HeaderOffset = 0;
      return atTar;
    }
    // An empty BZIP2 file is the shortest archive there is.
    if (head_.size() < size_t(kMinSize)) {
      if (!detect::IsBzip2(head_)) return atNA;
      r_.HeaderOffset = 0;
      return atBz2;
    }

    const bool isPe = head_[0] == 'M' && head_[1] == 'Z';
    const bool isElf = head_[0] == 0x7F && head_[1] == 'E' && head_[2] == 'L' && head_[3] == 'F';
    TArcType t = isPe || isElf ? DetectExecutable(isPe) : DetectPlain();
    // A compressed TAR is listed, read and written as the TAR it holds.
    if ((t == atGZip || t == atBz2) && detect::HoldsTar(s_)) t = t == atGZip ? atTarGz : atTarBz;

    if (IsRecognised(t) && r_.HeaderOffset == -1) r_.HeaderOffset = 0;
    if (t == atZip && HasJarExtension()) t = atJar;
    return t;
  }

 private:
  // --- Executables: self-extractors and archives glued to programs. ---
  TArcType DetectExecutable(bool isPe) {
    sfx_ = true;
    r_.HeadFlag = THeaderTypeState::Of(THeaderType::htSfx);

    detect::TProbeHit stub = detect::CheckKnownStubs(s_, size_);
    if (IsZipFamily(stub.Type)) {
      // The stub's local header is where the archive starts; the directory, when it can
      // be located, is where reading starts.
      int64_t found = LocateZip();
      if (found > 0) {
        r_.HeaderOffset = found;
      } else {
        r_.HeaderOffset = stub.Start;
        r_.HeadFlag.Include(THeaderType::htLocal);
      }
      return stub.Type;
    }
    // A type found at a stub offset is provisional: a probe below that recognises an
    // archive replaces it.
    TArcType t = stub.Type;
    r_.HeaderOffset = stub.Type != atNA ? stub.Start : -1;

    if (isPe) {
      if (TArcType byResource = ProbeStringResources(); byResource != atNA) return byResource;
      if (TArcType byImage = ProbeDosImageEnd(); byImage != atNA) return byImage;
    }
    if (t != atNA) return t;

    int64_t found = LocateZip();
    if (found > 0) {
      r_.HeaderOffset = found;
      return atZipExe;
    }
    r_.HeadFlag = THeaderTypeState::Of(THeaderType::htSfx);
    r_.HeaderOffset = -1;
    return Scan(detect::ScanFrom::Executable);
  }

  // Self-extractor stubs name the archive's offset in a string resource (identifiers
  // 1 to 7, decimal, read as at most five characters).
  TArcType ProbeStringResources() {
    TPeStrings pe(s_);
    if (!pe.Valid()) return atNA;
    for (unsigned id = 1; id <= 7; ++id) {
      std::string text = pe.String(id).substr(0, 5);
      if (!IsDecimal(text)) break;
      int64_t offset = std::stoll(text);
      if (offset >= size_) break;
      uint8_t b[14];
      int64_t n = s_.ReadAt(offset, b, sizeof b);
      if (n == int64_t(sizeof b) && EqualsNoCase(b + 7, "**ACE**")) {
        r_.HeaderOffset = offset;
        return atAceExe;
      }
      if (n < int64_t(sizeof b)) continue;
      TArcType t = Classify(b, ClassifyMode::Exe).Type;
      if (t == atNA) continue;
      r_.HeaderOffset = offset;
      if (IsZipFamily(t)) {
        int64_t found = LocateZip();
        if (found > 0 && !ZipFlagsEmpty()) r_.HeaderOffset = found;
      }
      return t;
    }
    return atNA;
  }

  // DOS stubs keep their archive right behind the DOS image.
  TArcType ProbeDosImageEnd() {
    const int64_t pages = GetU16(&head_[4]);
    const int64_t lastPage = GetU16(&head_[2]);
    int64_t pos = (pages - 1) * 512 + lastPage;
    if (pos <= 0 || pos + 4 > size_) return atNA;
    uint8_t b[4];
    if (!s_.ReadExactAt(pos, b, 4)) return atNA;
    if (b[2] == 0x60 && b[3] == 0xEA) {  // an ARJ header id two bytes further on
      pos += 2;
      if (!s_.ReadExactAt(pos, b, 4)) return atNA;
    }
    if (b[0] == 'P' && b[1] == 'K' && b[2] == 3 && b[3] == 4) return atNA;
    detect::TClassification c = Classify(b, ClassifyMode::Exe);
    if (c.Type == atNA) return atNA;
    r_.HeaderOffset = c.ArchiveAt7716 ? 7716 : pos;
    return c.Type;
  }

  // --- Everything that does not start as a program. ---
  TArcType DetectPlain() {
    // A header whose checksum holds outweighs the two-byte signatures its first name may
    // start with ("HAPPY.txt", "ZOOM.txt", "PKGBUILD").
    if (detect::TProbeHit tar = detect::TestTar(s_, size_); tar.Type == atTar) {
      r_.HeaderOffset = tar.Start;
      return atTar;
    }
    // Leading zero bytes (padding, or a Macintosh header in front of an LHA archive).
    size_t zeros = 0;
    if (head_[0] == 0) {
      while (zeros < head_.size() && head_[zeros] == 0) ++zeros;
      if (head_.size() - zeros > 132 && head_.size() > 131 && head_[130] == '-' &&
          head_[131] == 'l') {
        r_.HeaderOffset = 128;
        return atLha;
      }
    }

    TArcType t = atNA;
    detect::TClassification c;
    if (EqualsNoCase(&head_[7], "**ACE**")) {
      t = atAce;
    } else if (zeros + 4 <= head_.size()) {
      c = Classify(&head_[zeros], ClassifyMode::Plain);
      t = c.Type;
      if (c.ArchiveAt7716) r_.HeaderOffset = 7716;
    }

    if (c.FollowUp != ClassifyFollowUp::None) {
      t = SpanOrSplit();
      if (t != atNA) return FinishMultiVolume(t);
    } else if (t == atNA) {
      t = DetectUnsigned();
    } else if (t == atFileOpenErr || t == atUnknown) {
      return t;
    } else if (IsZipFamily(t)) {
      int64_t found = LocateZip();
      if (found == -1) return atUnsupported;
      if (found == 0 && !r_.HeadFlag.Has(THeaderType::htLocal) &&
          !r_.HeadFlag.Has(THeaderType::htCentral)) {
        r_.HeaderOffset = int64_t(zeros);
        r_.HeadFlag.Include(THeaderType::htLocal);
      } else {
        r_.HeaderOffset = found;
      }
    }

    if (t == atNA) t = detect::TestText(head_);
    return t;
  }

  // No signature at the start: BZIP2, TAR, a ZIP with something in front, or a scan.
  TArcType DetectUnsigned() {
    // Compressed data may hold any signature by chance, so BZIP2 goes before the scan.
    if (detect::IsBzip2(head_)) return atBz2;
    if (r_.HeaderOffset < 0) {
      int64_t found = LocateZip();
      if (found > 0 || tail_.DirectoryOnEarlierDisk) {
        r_.HeaderOffset = found;
        if (IsSingleDisk()) return atZip;
        TArcType t = SpanOrSplit();
        if (t != atNA) return t;
      }
    }
    r_.HeadFlag = THeaderTypeState();
    r_.HeaderOffset = -1;
    return Scan(detect::ScanFrom::Start);
  }

  // A set's volumes: spanned over labelled removable disks, or split into files.
  TArcType SpanOrSplit() {
    if (!in_.Drives || in_.FileName.empty()) return atNA;
    return detect::SpanOrSplit(*in_.Drives, in_.FileName);
  }

  TArcType FinishMultiVolume(TArcType t) {
    int64_t found = LocateZip();
    if (found == -1) return atUnsupported;
    r_.HeaderOffset = found;
    if (ZipFlagsEmpty()) r_.HeadFlag = THeaderTypeState::Of(THeaderType::htLocal);
    return t;
  }

  TArcType Scan(detect::ScanFrom from) {
    detect::TScanHit hit = detect::ScanForSignature(s_, size_, from);
    if (hit.Type == atNA) return atNA;
    r_.HeaderOffset = hit.Start;
    if (!hit.IsZip) return hit.Type;
    int64_t found = LocateZip();
    if (found == -1) return atUnsupported;
    if (hit.Type == atZipExe) {
      // Inside a program, a ZIP whose directory cannot be located this far in is the
      // program's own data (archivers carry the signatures as constants).
      r_.HeaderOffset = found;
      return found < kMinZipExeStart ? atUnsupported : atZipExe;
    }
    // Behind other data, a ZIP without a directory is read from its first local header.
    if (found > 0) r_.HeaderOffset = found;
    return hit.Type;
  }

  // --- ZIP helpers. ---
  // Locates the central directory over the whole file, keeping the self-extractor flag.
  int64_t LocateZip() {
    tail_ = SearchZipTail(s_, size_, in_);
    r_.Findings = tail_.Findings;
    r_.OffsetAdjust = tail_.OffsetAdjust;
    r_.HeadFlag = tail_.HeadFlag;
    if (sfx_) r_.HeadFlag.Include(THeaderType::htSfx);
    return tail_.FirstHeader;
  }

  bool ZipFlagsEmpty() const { return tail_.HeadFlag.Empty(); }

  bool IsSingleDisk() const { return tail_.SingleDisk; }

  // An archive of no entries has no signature to find, only its name tells what it is: an
  // LHA archive's is its end mark alone, one zero byte; a BH archive's is no bytes at all.
  bool IsEmptyByName() {
    const TArcType named = ArcTypeOfName(in_.FileName);
    if (size_ == 0) return named == atBh;
    uint8_t mark = 1;
    return size_ == 1 && (named == atLha || named == atLzh) && s_.ReadAt(0, &mark, 1) == 1 &&
           mark == 0;
  }

  // `tar -cf x.tar` of nothing writes only end blocks: zeros, which no signature tells
  // apart, so the name decides.
  bool IsEmptyTar() const {
    return size_ >= 2 * 512 && size_ % 512 == 0 && ArcTypeOfName(in_.FileName) == atTar &&
           std::all_of(head_.begin(), head_.end(), [](uint8_t b) { return b == 0; });
  }

  bool HasJarExtension() const {
    return text::AsciiLower(std::filesystem::path(in_.FileName).extension().string()) == ".jar";
  }

  TStream64& s_;
  const TDetectInput& in_;
  TDetectResult& r_;
  TTailSearch tail_;
  int64_t size_ = 0;
  std::vector<uint8_t> head_;
  bool sfx_ = false;
};

}  // namespace

TArcType DetectArcType(TStream64& stream, const TDetectInput& input, TDetectResult& result) {
  return TDetector(stream, input, result).Run();
}

}  // namespace qel

// Basic vocabulary shared by every engine component.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/crypto/ZipCrypto.h"
#include "codecs/deflate/DeflateLevel.h"

namespace qel {

// Text is UTF-8 throughout the engine; passwords and comments are raw bytes.
using WideString = std::string;
using AnsiString = std::string;
using TStrings = std::vector<std::string>;

// A point in time as a count of days since 30 December 1899 with the time of day as
// the fraction: the form the engine's callers sort and show dates in.
using TDateTime = double;

// The published form of a key triple (SeedDataKeys, SeedHeaderKeys): the record itself,
// since every record and entry reads its seed afresh, so assigning one takes effect at once.
using TSeedKeys = TSeedKeyRecord;

enum class TEncryptionMethod : uint8_t {
  emAes1_128,
  emAes1_192,
  emAes1_256,
  emAes2_128,
  emAes2_192,
  emAes2_256,
  emZip_V2,
  emPkAes1_128,
  emPkAes1_192,
  emPkAes1_256,
  emPkAes2_128,
  emPkAes2_192,
  emPkAes2_256,
  emNone,
  emUnsupported
};

enum class TOverwriteMode : uint8_t { omOverwrite, omSkip };

enum class TStoredDirNames : uint8_t {
  sdNone,
  sdAbsolute,
  sdAbsoluteNoDrv,
  sdAbsoluteNoRoot,
  sdRelative,
  sdRelativeStoreStart,
  sdExplorer_Auto,
  sdExplorer_UserDefineDefaultDir
};

// What a writer's Compress does.
enum class TSwitch : uint8_t { swAdd, swRefresh, swMove, swDelete, swRead };
// Which folder relative stored names start from: each FileSpec item's own, or the
// shallowest item's for the whole list.
enum class TRelativeDir : uint8_t { byItem, byList };

// The writers' methods; the order is the one method lists show (values 0 to 15).
enum class TCompressMethod : uint8_t {
  cmStore,
  cmDeflate,
  cmFuse,
  cmFrozen5,
  cmFrozen6,
  cmFrozen7,
  cmMsZip,
  cmLzx,
  cmQuantum,
  cmUUEncode,
  cmXXEncode,
  cmBase64,
  cmTar,
  cmTarGz,
  cmTarBz,
  cmBz2,
  cmPPMDi
};

// Deflate strength: stored, fast, normal, maximum.
enum class TDeflateType : uint8_t { dtDeflateS, dtDeflateF, dtDeflateN, dtDeflateX };
// The Deflate codec takes the type by its index.
static_assert(int(TDeflateType::dtDeflateS) == kDeflateSuperFast &&
              int(TDeflateType::dtDeflateF) == kDeflateFast &&
              int(TDeflateType::dtDeflateN) == kDeflateNormal &&
              int(TDeflateType::dtDeflateX) == kDeflateMaximum);

enum class TDateAttribute : uint8_t { daFileDate, daSysDate, daMaxFileDate };
enum class TDeleteOptions : uint8_t { doFinal, doAllowUndo };
enum class TStreamType : uint8_t { stMemory, stFile };

enum class TqelFileAttribute : uint8_t {
  fsZeroAttr,
  fsReadOnly,
  fsHidden,
  fsSysFile,
  fsVolumeID,
  fsDirectory,
  fsArchive,
  fsCompressed,
  fsEncrypted,
  fsReparsePoints
};

// A set of TqelFileAttribute, bit n for value n.
class TqelFileAttributes {
 public:
  constexpr TqelFileAttributes() = default;
  constexpr TqelFileAttributes(std::initializer_list<TqelFileAttribute> items) {
    for (auto a : items) bits_ |= Bit(a);
  }
  constexpr bool Has(TqelFileAttribute a) const { return bits_ & Bit(a); }
  constexpr void Include(TqelFileAttribute a) { bits_ |= Bit(a); }
  constexpr void Exclude(TqelFileAttribute a) { bits_ &= ~Bit(a); }
  constexpr bool operator==(const TqelFileAttributes&) const = default;

 private:
  static constexpr uint16_t Bit(TqelFileAttribute a) { return uint16_t(1u << unsigned(a)); }
  uint16_t bits_ = 0;
};

}  // namespace qel

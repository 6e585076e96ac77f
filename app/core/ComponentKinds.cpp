#include "app/core/ComponentKinds.h"

#include <array>

#include "app/core/AppSettings.h"
#include "app/core/ArchiveNames.h"

namespace vk::app {

using qel::TCompressMethod;
using enum TCompressMethod;

namespace {

constexpr std::array<TComponentType, kComponentKindCount> kTypes = {{
    {TComponentKind::Zip, "Zip", "ZIP", ".zip", true},
    {TComponentKind::Jar, "Jar", "JAR", ".jar", true},
    {TComponentKind::BlakHole, "BlakHole", "BH", ".bh", false},
    {TComponentKind::MakeCab, "MakeCab", "CAB", ".cab", false},
    {TComponentKind::GZip, "GZip", "GZIP", ".gz", false},
    {TComponentKind::Tar, "Tar", "TAR", ".tar", false},
    {TComponentKind::TarGZ, "TarGZ", "TAR-GZIP", ".tgz", false},
    {TComponentKind::TarBZ, "TarBZ", "TAR-BZIP2", ".tbz", false},
    {TComponentKind::BZip2, "BZip2", "BZIP2", ".bz2", false},
    {TComponentKind::Lha, "Lha", "LZH", ".lha", false},
    {TComponentKind::SevenZip, "ArcSevenZip", "7-Zip", ".7z", false},
    {TComponentKind::Bga, "ArcBga", "BGA", ".bza", false},
    {TComponentKind::Yz1, "ArcYz1", "YZ1", ".yz1", false},
}};

constexpr std::array<const char*, 16> kMethodNames = {
    "Store",   "Deflate",  "Fuse",     "Frozen5", "Frozen6", "Frozen7", "MsZip", "Lzx",
    "Quantum", "UUEncode", "XXEncode", "Base64",  "Tar",     "TarGz",   "TarBz", "Bzip2"};

}  // namespace

const TComponentType& ComponentType(TComponentKind kind) { return kTypes[size_t(kind)]; }

QString MethodName(TCompressMethod method) {
  return size_t(method) < kMethodNames.size() ? kMethodNames[size_t(method)] : "";
}

TCompressMethod MethodOfName(const QString& name) {
  for (size_t i = 0; i < kMethodNames.size(); ++i)
    if (name.compare(kMethodNames[i], Qt::CaseInsensitive) == 0) return TCompressMethod(i);
  return cmStore;
}

std::vector<TCompressMethod> WriterMethods(TComponentKind writer) {
  switch (writer) {
    case TComponentKind::Zip:
      return {cmStore, cmDeflate, cmBz2};
    case TComponentKind::Jar:
      return {cmStore, cmDeflate};
    case TComponentKind::BlakHole:
      return {cmStore, cmDeflate, cmFuse, cmBz2};
    case TComponentKind::MakeCab:
      return {cmStore, cmMsZip, cmLzx, cmQuantum};
    case TComponentKind::GZip:
      return {cmDeflate};
    case TComponentKind::Tar:
      return {cmTar};
    case TComponentKind::TarGZ:
      return {cmTarGz};
    case TComponentKind::TarBZ:
      return {cmTarBz};
    case TComponentKind::BZip2:
      return {cmBz2};
    case TComponentKind::Lha:
      return {cmStore, cmFrozen5, cmFrozen6};
    default:
      return {};
  }
}

TCompressMethod InitialMethod(TComponentKind writer) {
  switch (writer) {
    case TComponentKind::MakeCab:
      return cmMsZip;
    case TComponentKind::Lha:
      return cmFrozen6;
    default: {
      const auto methods = WriterMethods(writer);
      return methods.size() == 1 ? methods[0] : cmDeflate;
    }
  }
}

QStringList MethodList(TComponentKind kind) {
  switch (kind) {
    case TComponentKind::SevenZip:
      return {"LZMA", "LZMA2", "PPMd"};
    case TComponentKind::Bga:
      return {"BZA", "GZA"};
    case TComponentKind::Yz1:
      return {"YZ1"};
    case TComponentKind::BZip2:
      return {"BZip2"};
    default: {
      QStringList names;
      for (TCompressMethod m : WriterMethods(kind)) names << MethodName(m);
      return names;
    }
  }
}

QStringList EncryptionChoices() {
  return {"None", "AES - 128 bit", "AES - 192 bit", "AES - 256 bit", "PK ZIP v2.0"};
}

qel::TEncryptionMethod EncryptionOfChoice(int index) {
  using enum qel::TEncryptionMethod;
  static constexpr qel::TEncryptionMethod kMethods[] = {emNone, emAes2_128, emAes2_192, emAes2_256,
                                                        emZip_V2};
  return index >= 0 && index < 5 ? kMethods[index] : emNone;
}

bool TakesZipEncryption(qel::TArcType type) {
  using namespace qel;
  return type == atJar || type == atJarExe || type == atZip || type == atZipExe ||
         type == atZipDS || type == atZipMV;
}

bool IsPasswordCapable(qel::TArcType type) {
  using namespace qel;
  return type == atBh || type == atJar || type == atZip || type == atZipMV || type == at7Zip;
}

qel::TArcType WriterArcType(TComponentKind writer) {
  using namespace qel;
  static constexpr TArcType kTypesOfWriters[] = {atZip, atJar,   atBh,    atCab, atGZip,
                                                 atTar, atTarGz, atTarBz, atBz2, atLha};
  return IsWrapperKind(writer) ? (writer == TComponentKind::SevenZip ? at7Zip : atNA)
                               : kTypesOfWriters[size_t(writer)];
}

const QStringList& StoreAsIsList() {
  // Without a dot, the last three are matched by the writers as the whole extension.
  static const QStringList kList = {".ACE", ".ARC", ".ARJ", ".BH",  ".BZ",  ".BZ2", ".CAB", ".ENC",
                                    ".GZ",  ".HA",  ".JAR", ".LHA", ".LZH", ".MIM", ".PAK", ".PK3",
                                    ".PK_", ".RAR", ".TBZ", ".TGZ", ".UUE", ".UU",  ".WAR", ".XXE",
                                    ".Z",   ".ZIP", ".ZOO", ".QEL", "7z",   "7zip", "7-zip"};
  return kList;
}

const std::vector<TTypeEntry>& NewArchiveTypes() {
  static const std::vector<TTypeEntry> kList = {
      {"7-ZIP", TComponentKind::SevenZip}, {"BH", TComponentKind::BlakHole},
      {"BGA", TComponentKind::Bga},        {"BZip2", TComponentKind::BZip2},
      {"CAB", TComponentKind::MakeCab},    {"GZIP", TComponentKind::GZip},
      {"JAR", TComponentKind::Jar},        {"LZH", TComponentKind::Lha},
      {"TAR", TComponentKind::Tar},        {"ZIP", TComponentKind::Zip},
      {"YZ1", TComponentKind::Yz1}};
  return kList;
}

namespace {

TTypeEntry EntryOf(TComponentKind kind) {
  for (const TTypeEntry& e : NewArchiveTypes())
    if (e.Kind == kind) return e;
  return {ComponentType(kind).Format, kind};
}

}  // namespace

TTypeEntry NewArchiveType(const QString& fileName) {
  static const std::pair<const char*, TComponentKind> kByExtension[] = {
      {".zip", TComponentKind::Zip},   {".bh", TComponentKind::BlakHole},
      {".bz2", TComponentKind::BZip2}, {".cab", TComponentKind::MakeCab},
      {".lha", TComponentKind::Lha},   {".lzh", TComponentKind::Lha},
      {".gz", TComponentKind::GZip},   {".tar", TComponentKind::Tar},
      {".jar", TComponentKind::Jar},   {".7z", TComponentKind::SevenZip},
      {".bza", TComponentKind::Bga},   {".gza", TComponentKind::Bga},
      {".yz1", TComponentKind::Yz1}};
  const QString name = fileName.section('/', -1);
  const int dot = name.lastIndexOf('.');
  const QString ext = dot < 0 ? QString() : name.mid(dot);
  for (const auto& [suffix, kind] : kByExtension)
    if (ext.compare(suffix, Qt::CaseInsensitive) == 0) return EntryOf(kind);
  return EntryOf(TComponentKind::Zip);
}

QString NewArchiveName(const QString& fileName, TComponentKind kind) {
  if (NewArchiveType(fileName).Kind == kind) return fileName;
  return ReplaceArchiveExtension(fileName, QString::fromUtf8(ComponentType(kind).Extension));
}

std::optional<TTypeEntry> OpenArchiveType(qel::TArcType listerType) {
  using namespace qel;
  switch (listerType) {
    case atBh:
      return EntryOf(TComponentKind::BlakHole);
    case atCab:
      return EntryOf(TComponentKind::MakeCab);
    case atGZip:
      return EntryOf(TComponentKind::GZip);
    case atJar:
      return EntryOf(TComponentKind::Jar);
    case atLha:
    case atLzh:
      return EntryOf(TComponentKind::Lha);
    case atTar:
      return EntryOf(TComponentKind::Tar);
    // The other types the Add command reaches with a writer are offered by that writer's
    // own name, so the dialog never shows an empty choice for them.
    case atZip:
    case atZipExe:
    case atZipMV:
      return EntryOf(TComponentKind::Zip);
    case atBz2:
      return EntryOf(TComponentKind::BZip2);
    case atTarGz:
      return EntryOf(TComponentKind::TarGZ);
    case atTarBz:
      return EntryOf(TComponentKind::TarBZ);
    default:
      return std::nullopt;
  }
}

TTypeEntry WrapperArchiveType(TComponentKind wrapper) { return EntryOf(wrapper); }

const std::vector<TCompactEntry>& CompactTypes() {
  static const std::vector<TCompactEntry> kList = {
      {"7-ZIP (.7z)", TComponentKind::SevenZip, ".7z"},
      {"BlackHole (.bh)", TComponentKind::BlakHole, ".bh"},
      {"BGA (.bza)", TComponentKind::Bga, ".bza"},
      {"BZIP2 (.tar.bz2)", TComponentKind::TarBZ, ".tar.bz2"},
      {"Cabinet (.cab)", TComponentKind::MakeCab, ".cab"},
      {"JAR (.jar)", TComponentKind::Jar, ".jar"},
      {"LZH (.lha)", TComponentKind::Lha, ".lha"},
      {"TAR (.tar)", TComponentKind::Tar, ".tar"},
      {"TAR-GZIP (.tar.gz)", TComponentKind::TarGZ, ".tar.gz"},
      {"ZIP (.zip)", TComponentKind::Zip, ".zip"},
      {"YZ1 (.yz1)", TComponentKind::Yz1, ".yz1"}};
  return kList;
}

int CompactTypeOfDefArcType(int defArcType) {
  static constexpr int kEntries[] = {0, 1, 2, 4, 5, 6, 9, 10};
  return defArcType >= 0 && defArcType < 8 ? kEntries[defArcType] : -1;
}

int CompactTypeOfName(const QString& fileName) {
  static const std::pair<const char*, int> kSuffixes[] = {
      {".7z", 0},     {".bh", 1},  {".bza", 2}, {".cab", 4}, {".gza", 2},
      {".jar", 5},    {".lha", 6}, {".lzh", 6}, {".tar", 7}, {".tar.bz2", 3},
      {".tar.gz", 8}, {".zip", 9}, {".yz1", 10}};
  for (const auto& [suffix, entry] : kSuffixes)
    if (fileName.endsWith(suffix, Qt::CaseInsensitive)) return entry;
  return -1;
}

QString CompactExtension(int entry, int bgaMethod) {
  if (entry < 0 || entry >= int(CompactTypes().size())) return {};
  const TCompactEntry& e = CompactTypes()[size_t(entry)];
  if (e.Kind == TComponentKind::Bga && bgaMethod == 1) return ".gza";
  return e.Extension;
}

int DefaultMethodEntry(TComponentKind kind, const TAppSettings& s) {
  int value = -1;
  switch (kind) {
    case TComponentKind::SevenZip:
      value = s.Def7ZipMethod;
      break;
    case TComponentKind::BlakHole:
      // Its setting counts only the compressing methods: 0 Deflate, 1 Fuse.
      value = s.DefBhMethod == 0 ? 1 : s.DefBhMethod == 1 ? 2 : -1;
      break;
    case TComponentKind::Bga:
      value = s.DefBgaMethod;
      break;
    case TComponentKind::MakeCab:
      value = s.DefCabMethod;
      break;
    case TComponentKind::Jar:
      value = s.DefJarMethod;
      break;
    case TComponentKind::Lha:
      value = s.DefLhaMethod;
      break;
    case TComponentKind::Zip:
      value = s.DefZipMethod;
      break;
    default:
      break;
  }
  return value >= 0 && value < MethodList(kind).size() ? value : 0;
}

}  // namespace vk::app

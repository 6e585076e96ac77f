#include "app/core/ComponentKinds.h"

#include <array>

#include "app/core/AppSettings.h"
#include "app/core/ArchiveNames.h"
#include "engine/registry/Formats.h"

namespace vk::app {

using qel::TCompressMethod;
using enum TCompressMethod;

namespace {

// The app's name for each component and the archive type a writer makes; what a writer
// offers comes from the engine's format registry.
struct TKindRow {
  TComponentKind Kind;
  const char* Component;
  const char* Format;
  qel::TArcType Makes;           // atNA for a wrapper of no engine type
  const char* WrapperExtension;  // a wrapper's own extension
};

constexpr TKindRow kKinds[] = {
    {TComponentKind::Zip, "Zip", "ZIP", qel::atZip, nullptr},
    {TComponentKind::Jar, "Jar", "JAR", qel::atJar, nullptr},
    {TComponentKind::BlakHole, "BlakHole", "BH", qel::atBh, nullptr},
    {TComponentKind::MakeCab, "MakeCab", "CAB", qel::atCab, nullptr},
    {TComponentKind::GZip, "GZip", "GZIP", qel::atGZip, nullptr},
    {TComponentKind::Tar, "Tar", "TAR", qel::atTar, nullptr},
    {TComponentKind::TarGZ, "TarGZ", "TAR-GZIP", qel::atTarGz, nullptr},
    {TComponentKind::TarBZ, "TarBZ", "TAR-BZIP2", qel::atTarBz, nullptr},
    {TComponentKind::BZip2, "BZip2", "BZIP2", qel::atBz2, nullptr},
    {TComponentKind::Lha, "Lha", "LZH", qel::atLha, nullptr},
    {TComponentKind::SevenZip, "ArcSevenZip", "7-Zip", qel::at7Zip, ".7z"},
    {TComponentKind::Bga, "ArcBga", "BGA", qel::atNA, ".bza"},
    {TComponentKind::Yz1, "ArcYz1", "YZ1", qel::atNA, ".yz1"},
};
static_assert(std::size(kKinds) == kComponentKindCount);

const qel::TFormatWriter* FormatWriterOf(TComponentKind kind) {
  return IsWrapperKind(kind) ? nullptr : qel::WriterOf(kKinds[size_t(kind)].Makes);
}

constexpr std::array<const char*, 16> kMethodNames = {
    "Store",   "Deflate",  "Fuse",     "Frozen5", "Frozen6", "Frozen7", "MsZip", "Lzx",
    "Quantum", "UUEncode", "XXEncode", "Base64",  "Tar",     "TarGz",   "TarBz", "Bzip2"};

}  // namespace

const TComponentType& ComponentType(TComponentKind kind) {
  static const std::array<TComponentType, kComponentKindCount> kTypes = [] {
    std::array<TComponentType, kComponentKindCount> types{};
    for (const TKindRow& row : kKinds) {
      const qel::TFormatWriter* writer = FormatWriterOf(row.Kind);
      types[size_t(row.Kind)] = {row.Kind, row.Component, row.Format,
                                 writer ? writer->Extension : row.WrapperExtension,
                                 writer != nullptr};
    }
    return types;
  }();
  return kTypes[size_t(kind)];
}

std::optional<TComponentKind> KindOfWriter(const qel::TFormatWriter* writer) {
  if (!writer) return std::nullopt;
  for (const TKindRow& row : kKinds)
    if (FormatWriterOf(row.Kind) == writer) return row.Kind;
  return std::nullopt;
}

QString MethodName(TCompressMethod method) {
  return size_t(method) < kMethodNames.size() ? kMethodNames[size_t(method)] : "";
}

TCompressMethod MethodOfName(const QString& name) {
  for (size_t i = 0; i < kMethodNames.size(); ++i)
    if (name.compare(kMethodNames[i], Qt::CaseInsensitive) == 0) return TCompressMethod(i);
  return cmStore;
}

std::vector<TCompressMethod> WriterMethods(TComponentKind writer) {
  const qel::TFormatWriter* format = FormatWriterOf(writer);
  if (!format) return {};
  return {format->Methods.begin(), format->Methods.end()};
}

TCompressMethod InitialMethod(TComponentKind writer) {
  const qel::TFormatWriter* format = FormatWriterOf(writer);
  return format ? format->InitialMethod : cmStore;
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

qel::TArcType WriterArcType(TComponentKind writer) { return kKinds[size_t(writer)].Makes; }

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
      {"TAR", TComponentKind::Tar},        {"TAR-BZIP2", TComponentKind::TarBZ},
      {"TAR-GZIP", TComponentKind::TarGZ}, {"ZIP", TComponentKind::Zip},
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
  // A compressed TAR by either of its spellings, before ".gz" or ".bz2" alone is looked at.
  static const std::pair<const char*, TComponentKind> kTarNames[] = {
      {".tar.gz", TComponentKind::TarGZ},
      {".tgz", TComponentKind::TarGZ},
      {".tar.bz2", TComponentKind::TarBZ},
      {".tbz", TComponentKind::TarBZ},
      {".tbz2", TComponentKind::TarBZ}};
  for (const auto& [suffix, kind] : kTarNames)
    if (fileName.endsWith(QLatin1String(suffix), Qt::CaseInsensitive)) return EntryOf(kind);
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
  const std::optional<TComponentKind> kind = KindOfWriter(qel::WriterOf(listerType));
  if (!kind) return std::nullopt;
  return EntryOf(*kind);
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

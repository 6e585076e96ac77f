// The engine writers and the archiver-library wrappers the add dialogs choose between, with
// what each offers: its methods, its extension, whether it can be used yet. One table serves
// the Add Files dialog, the compact Add dialog and the commands that run the choice.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "engine/base/ArcType.h"
#include "engine/base/Types.h"
#include "engine/registry/FormatDescriptor.h"

namespace vk::app {

// Writers first, then the wrappers.
enum class TComponentKind {
  Zip,
  Jar,
  BlakHole,
  MakeCab,
  GZip,
  Tar,
  TarGZ,
  TarBZ,
  BZip2,
  Lha,
  SevenZip,
  Bga,
  Yz1
};
inline constexpr int kComponentKindCount = int(TComponentKind::Yz1) + 1;

inline constexpr bool IsWrapperKind(TComponentKind kind) {
  return kind >= TComponentKind::SevenZip;
}

struct TComponentType {
  TComponentKind Kind;
  const char* Component;  // the component's name: "Zip", "ArcSevenZip"
  const char* Format;     // how users know the format, for messages: "ZIP", "7-Zip"
  const char* Extension;  // the writer's own extension
  // Whether archives of this kind can be written yet (its writer is built); the others are
  // offered (so that the lists stay what users know) and refused with a clear word when chosen.
  bool Available;
};
const TComponentType& ComponentType(TComponentKind kind);

// The name of a method value 0 to 15 ("Store", "Deflate", ...); empty beyond.
QString MethodName(qel::TCompressMethod method);
// The value a method name stands for; cmStore when no name matches.
qel::TCompressMethod MethodOfName(const QString& name);
// What a writer offers, in value order, and what it starts with.
std::vector<qel::TCompressMethod> WriterMethods(TComponentKind writer);
qel::TCompressMethod InitialMethod(TComponentKind writer);
// The method list a dialog shows: the writer's method names ("BZip2" alone for the BZIP2
// writer), or the wrapper's own methods.
QStringList MethodList(TComponentKind kind);

// The encryption choices, "None" first, and the method each stands for (emNone for "None").
QStringList EncryptionChoices();
qel::TEncryptionMethod EncryptionOfChoice(int index);

// The type a writer makes (at7Zip for the 7-Zip wrapper, atNA for the other wrappers).
qel::TArcType WriterArcType(TComponentKind writer);
// The writer kind a registered writer is known by in the dialogs.
std::optional<TComponentKind> KindOfWriter(const qel::TFormatWriter* writer);

// Files of these types are stored as they are: compressing them again gains nothing.
const QStringList& StoreAsIsList();

// The type list of the Add Files dialog.
struct TTypeEntry {
  const char* Caption;
  TComponentKind Kind;
};
// A new archive: every type the dialog can create.
const std::vector<TTypeEntry>& NewArchiveTypes();
// The entry a new archive's name selects by its extension (ZIP for any other).
TTypeEntry NewArchiveType(const QString& fileName);
// A new archive's name once `kind` was chosen for it: kept when its extension selects
// that type (or, for ZIP, names none the dialog knows), otherwise with the kind's own
// extension in place of its own, so that a ZIP is never written as "fresh.7z".
QString NewArchiveName(const QString& fileName, TComponentKind kind);
// An archive the lister opened: the one entry for its type, none when it cannot be
// added to from this dialog.
std::optional<TTypeEntry> OpenArchiveType(qel::TArcType listerType);
// An archive a wrapper opened.
TTypeEntry WrapperArchiveType(TComponentKind wrapper);

// The type list of the compact Add dialog.
struct TCompactEntry {
  const char* Caption;
  TComponentKind Kind;
  const char* Extension;
};
const std::vector<TCompactEntry>& CompactTypes();
// The entry DefArcType selects; -1 for values it does not name.
int CompactTypeOfDefArcType(int defArcType);
// The entry a chosen file's name selects by its suffix; -1 when none matches.
int CompactTypeOfName(const QString& fileName);
// The extension the entry gives the name: BGA's follows its method (0 ".bza", 1 ".gza").
QString CompactExtension(int entry, int bgaMethod);

class TAppSettings;
// The method-list position a type's default-method setting selects (0 when the setting
// names no entry, or the type has none).
int DefaultMethodEntry(TComponentKind kind, const TAppSettings& settings);

}  // namespace vk::app

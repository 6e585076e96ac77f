// What the engine knows of one archive format family, in one record: the archive types it
// covers and what each allows, how to make its reader and its writer, the lister branch that
// walks its directory, and the rows it adds to the converter's target list. Every component
// that picks code by archive type asks these records, so a format is wired in by its own
// descriptor alone (formats/NAME/) and the one list of them (formats/Registry.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "engine/base/ArcType.h"
#include "engine/base/Types.h"

namespace qel {

class TDecompressClass;
class TCompBase;
class TListSession;

// What an archive of one type allows beyond listing and extracting.
enum TCapability : uint32_t {
  capTest = 1 << 0,       // its entries can be tested
  capComment = 1 << 1,    // it carries an archive comment that can be edited
  capRename = 1 << 2,     // entries can be renamed in place
  capUpdate = 1 << 3,     // entries can be added and deleted
  capSfx = 1 << 4,        // a self-extractor can be made from it
  capVolumes = 1 << 5,    // its writer can spread it over several volumes
  capPassword = 1 << 6,   // its writer takes a password
  capZipCipher = 1 << 7,  // its entries are protected by the ZIP ciphers
};

using TMakeReader = std::unique_ptr<TDecompressClass> (*)();
using TMakeWriter = std::unique_ptr<TCompBase> (*)();
using TListBranch = void (*)(TListSession& session);

// One row of the converter's target list: the caption users pick, the extension of the
// new archive and the method its writer packs with.
struct TConversionRow {
  int Order;  // the row's place in the list
  const char* Caption;
  const char* Extension;
  TCompressMethod Method;
};

// What writes archives of a type.
struct TFormatWriter {
  TMakeWriter Make;  // always set: a family without a writer gives its types none
  std::span<const TCompressMethod> Methods;  // in value order
  TCompressMethod InitialMethod;
  const char* Extension;                       // the writer's own: ".zip"
  const TConversionRow* Conversion = nullptr;  // the converter's row for it, if any
};

// One archive type of a family.
struct TTypeRow {
  TArcType Type;
  uint32_t Can;  // TCapability bits
  // The writer offered for an open archive of this type; it adds and deletes only where
  // capUpdate says so (a spanned set is offered ZIP, but never written in place).
  const TFormatWriter* Writer = nullptr;
};

struct TFormatDescriptor {
  const char* Name;  // how users name the family: "zip"
  std::span<const TTypeRow> Types;
  TMakeReader MakeReader = nullptr;  // null while no reader is built
  TListBranch List = nullptr;        // null while no lister branch is built
  // For a family read through an outside library: the message its listing and testing
  // give while the library is absent.
  int LibraryMissing = 0;
};

}  // namespace qel

#include "app/core/AddChoices.h"

#include <algorithm>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "engine/compress/CompBase.h"
#include "engine/registry/Formats.h"

namespace vk::app {

using qel::TqelFileAttribute;

namespace {

// The position of the selected name in the component's method list; 0 when not there.
int MethodPosition(TComponentKind kind, const QString& name) {
  return std::max(0, int(MethodList(kind).indexOf(name)));
}

void SetAttribute(qel::TqelFileAttributes& set, TqelFileAttribute a, bool on) {
  if (on)
    set.Include(a);
  else
    set.Exclude(a);
}

QString FolderMask(const QString& path) { return path.endsWith('/') ? path + '*' : path + "/*"; }

void StorePassword(TArchiveComponents& c, const QString& password) {
  const std::string bytes = password.toStdString();
  if (c.CurrentWrapper)
    c.CurrentWrapper->Password = bytes;
  else if (c.CurrentWriter)
    c.CurrentWriter->SetPassword(bytes);
}

// Asks until the entry is not empty; nothing when cancelled.
std::optional<QString> AskEntry(const TPasswordAsk& ask, const QString& caption,
                                const QString& prompt) {
  for (;;) {
    std::optional<QString> text = ask(caption, prompt);
    if (!text || !text->isEmpty()) return text;
  }
}

}  // namespace

int CompressionLevelOf(int compression) {
  static constexpr int kLevels[] = {1, 3, 6, 9};
  return kLevels[std::clamp(compression, 0, 3)];
}

void ApplyMethod(TArchiveComponents& c, const QString& name) {
  if (TArc* wrapper = c.CurrentWrapper) {
    wrapper->CompressionMethod = MethodPosition(wrapper->ArchiveKind, name);
    return;
  }
  if (c.CurrentWriter && c.KindOf(*c.CurrentWriter) != TComponentKind::BZip2)
    c.CurrentWriter->SetCompressMethod(MethodOfName(name));
}

void ApplyDefaultMethod(qel::TCompBase& writer, TComponentKind kind) {
  writer.SetCompressMethod(WriterMethods(kind)[size_t(DefaultMethodEntry(kind, AppSettings()))]);
}

bool CompressionApplies(const TArchiveComponents& c) {
  if (const TArc* wrapper = c.CurrentWrapper) {
    if (wrapper->ArchiveKind == TComponentKind::SevenZip) return wrapper->CompressionMethod == 0;
    return wrapper->ArchiveKind == TComponentKind::Bga;
  }
  if (!c.CurrentWriter) return false;
  const qel::TCompressMethod m = c.CurrentWriter->CompressMethod();
  return m == qel::TCompressMethod::cmDeflate || m == qel::TCompressMethod::cmBz2;
}

TTypeSettings ApplyTypeSettings(TArchiveComponents& c, int encryption) {
  TTypeSettings t;
  if (TArc* wrapper = c.CurrentWrapper) {
    const bool sevenZip = wrapper->ArchiveKind == TComponentKind::SevenZip;
    t.Methods = MethodList(wrapper->ArchiveKind);
    t.Method = wrapper->ArchiveKind == TComponentKind::Bga
                   ? std::clamp(wrapper->CompressionMethod, 0, int(t.Methods.size()) - 1)
                   : 0;
    wrapper->CompressionMethod = t.Method;
    t.PasswordEnabled = wrapper->PasswordSupported();
    t.Encryption = sevenZip ? 3 : 0;  // 7-Zip enciphers with AES-256 whenever it has a password
    t.SolidVisible = sevenZip;
    t.CompressionEnabled = CompressionApplies(c);
    return t;
  }
  if (!c.CurrentWriter) return t;
  qel::TCompBase& w = *c.CurrentWriter;
  const TComponentKind kind = c.KindOf(w);
  t.Methods = MethodList(kind);
  t.Method = kind == TComponentKind::BZip2
                 ? 0
                 : std::max(0, int(t.Methods.indexOf(MethodName(w.CompressMethod()))));
  ApplyMethod(c, t.Methods.value(t.Method));
  t.WriterControls = true;
  t.StoredFolders = c.RelativeFolders ? int(qel::TStoredDirNames::sdRelative)
                                      : std::min(int(w.StoredDirNames), 5);
  t.DateAttributes = int(w.DateAttribute);
  if (int(w.Switch) > int(qel::TSwitch::swMove)) w.Switch = qel::TSwitch::swAdd;
  t.Action = int(w.Switch);
  const qel::TArcType type = WriterArcType(kind);
  t.EncryptionEnabled = qel::Can(type, qel::capZipCipher);
  if (t.EncryptionEnabled) {
    t.PasswordEnabled = qel::Can(type, qel::capPassword) && encryption > 0;
  } else {
    t.PasswordEnabled = qel::Can(type, qel::capPassword);
    t.Encryption = 0;
  }
  t.CompressionEnabled = CompressionApplies(c);
  return t;
}

void ApplyWriterOptions(TArchiveComponents& c, const TAddOptions& o, const QString& tempFolder) {
  qel::TCompBase& w = *c.CurrentWriter;
  w.FileSpec.clear();
  w.ExcludeSpec.clear();
  w.SetTempDir(tempFolder.toStdString());
  c.FolderList.clear();

  w.Attributes.Include(TqelFileAttribute::fsZeroAttr);
  SetAttribute(w.Attributes, TqelFileAttribute::fsArchive, o.Archive);
  SetAttribute(w.Attributes, TqelFileAttribute::fsDirectory, o.Directory);
  SetAttribute(w.Attributes, TqelFileAttribute::fsHidden, o.Hidden);
  SetAttribute(w.Attributes, TqelFileAttribute::fsReadOnly, o.ReadOnly);
  SetAttribute(w.Attributes, TqelFileAttribute::fsSysFile, o.SysFile);
  // Every file here counts as one to archive, so a cleared box must also leave its files
  // out: taking a file for any one attribute would take every hidden or read-only file.
  SetAttribute(w.AttributesEx, TqelFileAttribute::fsHidden, !o.Hidden);
  SetAttribute(w.AttributesEx, TqelFileAttribute::fsReadOnly, !o.ReadOnly);
  // Devices, pipes and sockets have no content to store, whatever the filter says.
  w.AttributesEx.Include(TqelFileAttribute::fsSysFile);

  w.RecurseDirs = o.IncludeSubFolders;
  w.TranslateOemChar = true;
  w.Switch = qel::TSwitch(std::clamp(o.Action, 0, 2));
  w.StoredDirNames = qel::TStoredDirNames(std::clamp(o.StoredFolders, 0, 5));
  c.RelativeFolders = w.StoredDirNames == qel::TStoredDirNames::sdRelative;
  w.DateAttribute = qel::TDateAttribute(std::clamp(o.DateAttributes, 0, 2));
  w.DeflateType = qel::TDeflateType(std::clamp(o.Compression, 0, 3));
  w.ConfirmOverwrites = true;
  w.StoreEmptySubDirs = true;
  ApplyMethod(c, o.Method);
  w.StoreFilesOfType.clear();
  for (const QString& type : StoreAsIsList()) w.StoreFilesOfType.push_back(type.toStdString());
}

bool FillFileSpecs(TArchiveComponents& c, const std::vector<TBrowserItem>& items) {
  if (std::none_of(items.begin(), items.end(), [](const TBrowserItem& i) { return i.Selected; }))
    return false;
  qel::TCompBase& w = *c.CurrentWriter;
  // A cabinet is written in one pass: its folders cannot wait for a second one.
  const bool secondPass = c.RelativeFolders && c.KindOf(w) != TComponentKind::MakeCab;
  for (const TBrowserItem& item : items) {
    if (!item.Selected)
      w.ExcludeSpec.push_back(FolderMask(item.Path).toStdString());
    else if (!item.IsFolder)
      w.FileSpec.push_back(item.Path.toStdString());
    else if (secondPass)
      c.FolderList << FolderMask(item.Path);
    else
      w.FileSpec.push_back(FolderMask(item.Path).toStdString());
  }
  return true;
}

bool ApplyWrapperChoices(TArc& wrapper, const TAddOptions& o, const QString& folder,
                         const std::vector<TBrowserItem>& items) {
  if (std::none_of(items.begin(), items.end(), [](const TBrowserItem& i) { return i.Selected; }))
    return false;
  wrapper.SetWorkingFolder(folder);
  wrapper.FileList.clear();
  const bool fullPaths = wrapper.ArchiveKind == TComponentKind::SevenZip;
  for (const TBrowserItem& item : items) {
    if (!item.Selected) continue;
    if (item.IsFolder)
      wrapper.FileList << FolderMask(item.Path);
    else
      wrapper.FileList << (fullPaths ? item.Path : item.Path.section('/', -1));
  }
  wrapper.SetCompressionLevel(CompressionLevelOf(o.Compression));
  if (wrapper.ArchiveKind != TComponentKind::Yz1)
    wrapper.CompressionMethod = MethodPosition(wrapper.ArchiveKind, o.Method);
  if (fullPaths) wrapper.Solid = o.Solid;
  return true;
}

void ApplyCompactChoices(TArchiveComponents& c, const TAddOptions& o, const QString& tempFolder) {
  if (TArc* wrapper = c.CurrentWrapper) {
    wrapper->SetCompressionLevel(CompressionLevelOf(o.Compression));
    if (wrapper->ArchiveKind != TComponentKind::Yz1)
      wrapper->CompressionMethod = MethodPosition(wrapper->ArchiveKind, o.Method);
    if (wrapper->ArchiveKind == TComponentKind::SevenZip) wrapper->Solid = o.Solid;
    return;
  }
  qel::TCompBase& w = *c.CurrentWriter;
  w.Switch = qel::TSwitch(std::clamp(o.Action, 0, 2));
  w.DeflateType = qel::TDeflateType(std::clamp(o.Compression, 0, 3));
  w.SetTempDir(tempFolder.toStdString());
}

TPasswordOutcome AskNewPassword(TArchiveComponents& c, const TPasswordAsk& ask,
                                const std::function<void()>& mismatch) {
  const std::optional<QString> first = AskEntry(ask, Message(775), Message(780));
  const std::optional<QString> second =
      first ? AskEntry(ask, Message(785), Message(786)) : std::nullopt;
  if (!second) {
    StorePassword(c, {});
    return TPasswordOutcome::Cancelled;
  }
  if (*first != *second) {
    mismatch();
    StorePassword(c, {});
    return TPasswordOutcome::Different;
  }
  StorePassword(c, *first);
  return TPasswordOutcome::Set;
}

bool ConfirmEncryption(TArchiveComponents& c, int encryption, const TPasswordAsk& ask,
                       const std::function<void()>& mismatch) {
  qel::TCompBase& w = *c.CurrentWriter;
  if (encryption == 0) {
    // Only the ZIP family chooses its encryption; the other writers take the password the
    // password button gave them as it is.
    if (qel::Can(WriterArcType(c.KindOf(w)), qel::capZipCipher)) w.SetPassword({});
    if (w.Password().empty()) w.EncryptionMethod = qel::TEncryptionMethod::emNone;
    return true;
  }
  while (w.Password().empty()) {
    if (AskNewPassword(c, ask, mismatch) == TPasswordOutcome::Cancelled) return false;
  }
  w.EncryptionMethod = EncryptionOfChoice(encryption);
  return true;
}

}  // namespace vk::app

#include "app/core/ArchiveListing.h"

#include <string_view>

#include "engine/base/Errors.h"
#include "engine/list/EntryText.h"

namespace vk::app {

qel::TArcType TArchiveListing::SetArchive(const QString& path) {
  Clear();
  Quell.SetArchiveFile(path.toStdString());
  return ArcType();
}

QString TArchiveListing::ArchiveFile() const { return QString::fromStdString(Quell.ArchiveFile()); }

void TArchiveListing::Clear() {
  files_.clear();
  attributeTexts_.clear();
  tree_.Reset(ArchiveFile());
  lastFolderBytes_.clear();
  lastFolder_.clear();
  lastNode_ = nullptr;
  totalPacked_ = totalUnpacked_ = 0;
}

bool TArchiveListing::List(const QStringList& masks) {
  files_.clear();
  tree_.Reset(ArchiveFile());
  lastFolderBytes_.clear();
  lastNode_ = nullptr;
  totalPacked_ = totalUnpacked_ = 0;
  if (!Recognised()) return false;
  // A "*" among the masks takes in everything, which the lister does fastest without masks.
  Quell.FileSpec.clear();
  if (!masks.contains(QStringLiteral("*")))
    for (const QString& mask : masks) Quell.FileSpec.push_back(mask.toStdString());
  Quell.ShowEmptyDirs = true;
  Quell.OnRead = [this](qel::TZipCommon&, int64_t, int) { QuellRead(); };
  Quell.OnTotals = [this](qel::TZipCommon&, int64_t unpacked, int64_t packed, int, int) {
    totalUnpacked_ = unpacked;
    totalPacked_ = packed;
  };
  bool listed = false;
  try {
    listed = Quell.Activate();
  } catch (const qel::E_RAISE&) {
    // Already reported through OnError.
  }
  Quell.OnRead = nullptr;
  Quell.OnTotals = nullptr;
  tree_.Sort();
  return listed;
}

void TArchiveListing::QuellRead() {
  const qel::TEntryRecord& e = Quell.Entry();
  std::string_view name = e.FileName;
  const bool isFolderEntry = !name.empty() && name.back() == '/';
  const size_t slash = name.rfind('/', isFolderEntry ? name.size() - 2 : std::string_view::npos);
  const std::string_view folder = slash == std::string_view::npos ? "" : name.substr(0, slash + 1);
  if (folder != lastFolderBytes_ || !lastNode_) {
    lastFolderBytes_.assign(folder);
    lastFolder_ = QString::fromUtf8(folder.data(), qsizetype(folder.size()));
    lastNode_ = tree_.AddFolderPath(lastFolder_);
  }
  if (isFolderEntry) {
    tree_.AddFolderPath(QString::fromUtf8(name.data(), qsizetype(name.size())));
    return;
  }
  const std::string_view base = name.substr(folder.size());
  if (base.empty()) return;

  TShellItem& item = files_.Add();
  item.Name = QString::fromUtf8(base.data(), qsizetype(base.size()));
  item.Encrypted = e.Encrypted;
  item.FileType = types_.For(item.Name);
  item.Modified = e.Date;
  item.Size = e.UnpackedSize;
  item.Packed = e.PackedSize;
  item.Ratio = e.Ratio;
  item.CRC = e.CRC;
  item.Attributes = AttributeText(e.ExternalAttr);
  item.Folder = lastFolder_;
  item.Node = lastNode_;
}

const QString& TArchiveListing::AttributeText(uint32_t attr) {
  auto [it, added] = attributeTexts_.try_emplace(attr);
  if (added) it->second = QString::fromStdString(qel::GetAttrText(ArcType(), attr, ' ')).toUpper();
  return it->second;
}

}  // namespace vk::app

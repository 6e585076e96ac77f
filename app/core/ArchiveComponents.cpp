#include "app/core/ArchiveComponents.h"

#include <QFile>

#include "engine/registry/Formats.h"
#include "formats/zip/ZipWriter.h"

namespace vk::app {

namespace {

constexpr int kFirstWrapper = int(TComponentKind::SevenZip);

std::unique_ptr<qel::TCompBase> MakeWriter(TComponentKind kind) {
  using qel::TqelFileAttribute;
  // Every kind before the wrappers names a registered writer.
  std::unique_ptr<qel::TCompBase> w = qel::WriterOf(WriterArcType(kind))->Make();
  // Room on a spanned set's first disk for a program to go with it.
  if (kind == TComponentKind::Zip) static_cast<qel::TZipBase&>(*w).LeaveSpaceOnFirstDisk = 50000;
  w->Attributes = {TqelFileAttribute::fsZeroAttr, TqelFileAttribute::fsReadOnly,
                   TqelFileAttribute::fsArchive, TqelFileAttribute::fsCompressed,
                   TqelFileAttribute::fsEncrypted};
  w->DeleteOptions = qel::TDeleteOptions::doAllowUndo;
  w->RecurseDirs = false;
  w->IncludeHiddenDirs = true;
  w->Switch = qel::TSwitch::swAdd;
  w->MoveToTrash = [](const qel::WideString& path) {
    return QFile::moveToTrash(QString::fromStdString(path));
  };
  return w;
}

}  // namespace

TArchiveComponents::TArchiveComponents() {
  for (int i = 0; i < kFirstWrapper; ++i) writers_[size_t(i)] = MakeWriter(TComponentKind(i));
  for (int i = kFirstWrapper; i < kComponentKindCount; ++i)
    wrappers_[size_t(i - kFirstWrapper)] = std::make_unique<TArc>(TComponentKind(i));
}

TArchiveComponents::~TArchiveComponents() = default;

qel::TCompBase& TArchiveComponents::Writer(TComponentKind writer) {
  return *writers_.at(size_t(writer));
}

TArc& TArchiveComponents::Wrapper(TComponentKind wrapper) {
  return *wrappers_.at(size_t(int(wrapper) - kFirstWrapper));
}

void TArchiveComponents::Select(TComponentKind kind) {
  if (IsWrapperKind(kind)) {
    CurrentWrapper = &Wrapper(kind);
    return;
  }
  CurrentWrapper = nullptr;
  CurrentWriter = &Writer(kind);
}

std::optional<TComponentKind> TArchiveComponents::CurrentKind() const {
  if (CurrentWrapper) return CurrentWrapper->ArchiveKind;
  if (CurrentWriter) return KindOf(*CurrentWriter);
  return std::nullopt;
}

bool TArchiveComponents::WriterHasArchive() const {
  return CurrentWriter && !CurrentWriter->ArchiveFile().empty();
}

TComponentKind TArchiveComponents::KindOf(const qel::TCompBase& writer) const {
  for (int i = 0; i < kFirstWrapper; ++i)
    if (writers_[size_t(i)].get() == &writer) return TComponentKind(i);
  return TComponentKind::Zip;
}

}  // namespace vk::app

// The writers and archiver wrappers a window (or a one-shot operation) owns, one of each
// kind, set up once with the settings the program always uses, and the choice the add
// dialogs make among them: the current writer or the current wrapper, and the folders an
// add with relative folder names takes in its second pass.
#pragma once

#include <QStringList>
#include <array>
#include <memory>
#include <optional>

#include "app/core/ArcWrapper.h"
#include "app/core/ComponentKinds.h"

namespace qel {
class TCompBase;
}

namespace vk::app {

class TArchiveComponents {
 public:
  TArchiveComponents();
  ~TArchiveComponents();
  TArchiveComponents(const TArchiveComponents&) = delete;
  TArchiveComponents& operator=(const TArchiveComponents&) = delete;

  qel::TCompBase& Writer(TComponentKind writer);
  TArc& Wrapper(TComponentKind wrapper);

  // A writer becomes current and the wrapper choice is cleared; a wrapper becomes current
  // beside the writer, which stays what it was.
  void Select(TComponentKind kind);
  // The current wrapper's kind when there is one, else the current writer's.
  std::optional<TComponentKind> CurrentKind() const;
  TComponentKind KindOf(const qel::TCompBase& writer) const;
  // Whether the current writer was given an archive (the open archive of an Add command).
  bool WriterHasArchive() const;

  qel::TCompBase* CurrentWriter = nullptr;
  TArc* CurrentWrapper = nullptr;
  // Folder masks the Add Files dialog leaves for a second pass with relative names.
  QStringList FolderList;
  // Set by an Add Files dialog confirmed with relative folder names; kept for the run.
  bool RelativeFolders = false;

 private:
  std::array<std::unique_ptr<qel::TCompBase>, int(TComponentKind::SevenZip)> writers_;
  std::array<std::unique_ptr<TArc>, kComponentKindCount - int(TComponentKind::SevenZip)> wrappers_;
};

}  // namespace vk::app

// The copies of entries handed to programs, kept while the window runs. A program may save
// its copy long after it was started: the desktop's launcher returns at once, many
// programs hand the file to a copy of themselves already running, and the user may have
// closed the archive by then. Each copy is watched, and Changed() is emitted a moment after
// the last write to one; the window then offers to put it back into its archive, and does
// so at the latest when the archive is closed or the window ends.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/ArcType.h"
#include "engine/base/Types.h"

namespace vk::app {

struct TViewedCopy {
  QString Archive;  // as the window opened it
  qel::TArcType Type = qel::atNA;
  QString Entry;   // its folder and name in the archive
  QString File;    // the extracted copy
  QString Folder;  // the folder it was extracted into, ending with "/"
  qel::TEncryptionMethod Encryption = qel::TEncryptionMethod::emNone;
  std::string Password;        // that opened it; empty for an entry that was not encrypted
  std::optional<int64_t> Age;  // the copy's modification time when last settled
};

class TViewedCopies : public QObject {
  Q_OBJECT

 public:
  explicit TViewedCopies(QObject* parent = nullptr);

  void Add(TViewedCopy copy);
  // The copies of `archive` (of every archive when empty) whose file was written since it
  // was recorded or settled.
  std::vector<TViewedCopy> ChangedCopies(const QString& archive = {}) const;
  // The copy's present file becomes its recorded state: it was put back, or the user said
  // it should not be.
  void Settle(const QString& file);

 signals:
  void Changed();

 private:
  void Rewatch();

  std::vector<TViewedCopy> copies_;
  QFileSystemWatcher watcher_;
  QTimer quiet_;  // a save is often several writes, or a write and a rename
};

}  // namespace vk::app

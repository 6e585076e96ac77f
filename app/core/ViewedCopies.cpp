#include "app/core/ViewedCopies.h"

#include <QFileInfo>

#include "app/core/ZipRun.h"

namespace vk::app {

TViewedCopies::TViewedCopies(QObject* parent) : QObject(parent) {
  quiet_.setSingleShot(true);
  quiet_.setInterval(300);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, &quiet_, qOverload<>(&QTimer::start));
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &quiet_, qOverload<>(&QTimer::start));
  connect(&quiet_, &QTimer::timeout, this, [this] {
    Rewatch();
    emit Changed();
  });
}

void TViewedCopies::Add(TViewedCopy copy) {
  const QString file = copy.File;
  std::erase_if(copies_, [&file](const TViewedCopy& c) { return c.File == file; });
  copies_.push_back(std::move(copy));
  Rewatch();
}

void TViewedCopies::Rewatch() {
  // A file saved by writing a new one and renaming it over the old one is no longer the
  // file watched; its folder tells when that happens.
  QStringList paths;
  for (const TViewedCopy& copy : copies_) paths << copy.File << QFileInfo(copy.File).absolutePath();
  paths.removeDuplicates();
  const QStringList watched = watcher_.files() + watcher_.directories();
  for (const QString& path : paths)
    if (!watched.contains(path) && QFileInfo::exists(path)) watcher_.addPath(path);
}

std::vector<TViewedCopy> TViewedCopies::ChangedCopies(const QString& archive) const {
  std::vector<TViewedCopy> changed;
  for (const TViewedCopy& copy : copies_)
    if ((archive.isEmpty() || copy.Archive == archive) && ShouldPutBack(copy.Type, copy.Age, FileAge(copy.File)))
      changed.push_back(copy);
  return changed;
}

void TViewedCopies::Settle(const QString& file) {
  for (TViewedCopy& copy : copies_)
    if (copy.File == file) copy.Age = FileAge(file);
}

}  // namespace vk::app

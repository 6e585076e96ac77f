#include "app/gui/DragOutMime.h"

#include <QFileInfo>
#include <QVariant>
#include <utility>

namespace vk::gui {
namespace {

const QString kUriList = QStringLiteral("text/uri-list");

}  // namespace

TDragOutMime::TDragOutMime(QStringList placeholders, std::function<bool()> extract)
    : placeholders_(std::move(placeholders)), extract_(std::move(extract)) {}

QStringList TDragOutMime::formats() const {
  QStringList list = QMimeData::formats();
  if (!list.contains(kUriList)) list.prepend(kUriList);
  return list;
}

const QList<QUrl>& TDragOutMime::ExtractedUrls() const {
  // A request that arrives while extracting (the progress handlers keep events flowing)
  // gets nothing rather than a second extraction.
  if (state_ != TState::NotAsked) return urls_;
  state_ = TState::Running;
  bool ok = false;
  // This runs inside the platform's drag code, which an exception must not cross.
  try {
    ok = extract_ && extract_();
  } catch (...) {
    ok = false;
  }
  if (ok) {
    for (const QString& path : placeholders_)
      if (QFileInfo::exists(path)) urls_.append(QUrl::fromLocalFile(path));
  }
  state_ = TState::Done;
  return urls_;
}

QVariant TDragOutMime::retrieveData(const QString& mimeType, QMetaType type) const {
  if (mimeType != kUriList) return QMimeData::retrieveData(mimeType, type);
  // QMimeData turns a list of URLs into the "\r\n"-separated bytes data() answers.
  QVariantList list;
  for (const QUrl& url : ExtractedUrls()) list.append(url);
  return list;
}

}  // namespace vk::gui

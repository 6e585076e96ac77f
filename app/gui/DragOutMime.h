// TDragOutMime: what a drag of archive entries out of the main window carries. The entries
// are extracted only when a drop target asks for the file names, so a drag that is given
// up costs nothing.
#pragma once

#include <QList>
#include <QMimeData>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace vk::gui {

class TDragOutMime : public QMimeData {
  Q_OBJECT

 public:
  // `placeholders` are the local paths the extraction will create (in the temporary
  // folder); `extract` creates them and answers whether it succeeded.
  TDragOutMime(QStringList placeholders, std::function<bool()> extract);

  QStringList formats() const override;

 protected:
  // "text/uri-list" runs the extraction on the first request and answers the URLs of the
  // placeholders that exist after it; none when it failed.
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

 private:
  const QList<QUrl>& ExtractedUrls() const;

  QStringList placeholders_;
  std::function<bool()> extract_;
  enum class TState { NotAsked, Running, Done };
  mutable TState state_ = TState::NotAsked;
  mutable QList<QUrl> urls_;
};

}  // namespace vk::gui

#include "app/core/FileTypes.h"

#include <QMimeType>
#include <algorithm>

namespace vk::app {

QString ExtensionKey(const QString& name) {
  const qsizetype last = name.lastIndexOf(u'.');
  if (last < 0 || last == name.size() - 1) return {};
  // Double extensions are words ("tar.gz", "ps.gz"); a number before the extension
  // ("photo.2023.jpg") is part of the name and would only multiply the lookups.
  qsizetype start = last + 1;
  const qsizetype previous = last > 0 ? name.lastIndexOf(u'.', last - 1) : -1;
  if (previous >= 0 && std::all_of(name.begin() + previous + 1, name.begin() + last,
                                   [](QChar c) { return c.isLetter(); }))
    start = previous + 1;
  return name.mid(start).toLower();
}

QMimeType MimeTypeOfKey(const QMimeDatabase& database, const QString& key) {
  return database.mimeTypeForFile(QStringLiteral("x.") + key, QMimeDatabase::MatchExtension);
}

QString TFileTypeNames::For(const QString& name) {
  const QString key = ExtensionKey(name);
  if (key.isEmpty()) return QStringLiteral("File");
  auto found = cache_.constFind(key);
  if (found != cache_.constEnd()) return *found;
  const QMimeType type = MimeTypeOfKey(database_, key);
  const QString text =
      !type.isDefault() && !type.comment().isEmpty()
          ? type.comment()
          : name.mid(name.lastIndexOf(u'.') + 1).toUpper() + QStringLiteral(" File");
  cache_.insert(key, text);
  return text;
}

}  // namespace vk::app

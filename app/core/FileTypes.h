// The type text of the File Type column, from the system's MIME database.
#pragma once

#include <QHash>
#include <QMimeDatabase>
#include <QString>

namespace vk::app {

// The extension a name's type goes by, lower-cased: the last one, or the last two when the
// one before is a word ("tar.gz"); "" for a name without one.
QString ExtensionKey(const QString& name);
// The MIME type of an extension key, looked up by extension alone: whole-name patterns
// ("CMakeLists.txt") must not decide the type of every other name with that extension.
QMimeType MimeTypeOfKey(const QMimeDatabase& database, const QString& key);

// Types go by the extension alone, so that every name with one extension shows one type
// whatever the rest of the name, and one lookup serves all of them.
class TFileTypeNames {
 public:
  // The type text of a bare file name: the MIME type's description for its extension (the
  // last two when the one before is a word, so "tar.gz" is known), or for an extension the
  // database does not know, the last extension in upper case + " File"; "File" for a name
  // without extension.
  QString For(const QString& name);

 private:
  QMimeDatabase database_;
  QHash<QString, QString> cache_;  // by the lower-cased extensions
};

}  // namespace vk::app

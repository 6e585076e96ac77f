#include "app/core/Translation.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vk::app {
namespace {

struct TActiveLanguage {
  QString path;
  std::optional<TIniFile> file;
};

TActiveLanguage& Active() {
  static TActiveLanguage active;
  return active;
}

const QString kLineBreak = QStringLiteral("\r\n");
const QString kLineBreakMark = QStringLiteral("*|*");
const QString kMessages = QStringLiteral("Messages");
const QString kInfo = QStringLiteral("Info");
const QString kDefaultCredit = QStringLiteral("The Vorelkit developers");

// Separators before the first text give no empty first lines; the rest are line breaks.
QString JoinLines(const QString& value) {
  QStringList pieces = value.split(kLineBreakMark);
  while (pieces.size() > 1 && pieces.front().isEmpty()) pieces.removeFirst();
  return pieces.join(kLineBreak);
}

// The full path of `name` in `folder`, written the same way wherever it is made, so that
// the Language menu can find the active file among its items by comparing paths.
QString PathIn(const QString& folder, const QString& name) {
  return QDir::cleanPath(QDir(folder).absoluteFilePath(name));
}

}  // namespace

bool LoadLanguage(const QString& path) {
  TActiveLanguage& active = Active();
  active.path = path;
  active.file.reset();
  TIniFile file;
  if (!QFileInfo(path).isFile() || !file.Load(path)) return false;
  active.file = std::move(file);
  return true;
}

QString ActiveLanguagePath() { return Active().path; }

const TIniFile* ActiveLanguageFile() {
  const auto& file = Active().file;
  return file ? &*file : nullptr;
}

QString Translate(const QString& section, const QString& key) {
  const TIniFile* file = ActiveLanguageFile();
  if (!file) return kNoTranslation;
  const QString value = file->ReadString(section, key, QString());
  if (value.isEmpty()) return kNoTranslation;
  return WithEditionName(JoinLines(value));
}

QString Message(int number) { return Translate(kMessages, QString::number(number)); }

QString FormatMessage(const QString& text, const QStringList& values) {
  QString out;
  qsizetype next = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    const QChar after = i + 1 < text.size() ? text[i + 1] : QChar();
    if (c == u'%' && after == u'%') {
      out += u'%';
      ++i;
    } else if (c == u'%' && (after == u's' || after == u'd') && next < values.size()) {
      out += values[next++];
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

QString BoxWordKey(TBoxWord word) {
  switch (word) {
    case TBoxWord::Warning:
      return QStringLiteral("Warning");
    case TBoxWord::Error:
      return QStringLiteral("Error");
    case TBoxWord::Information:
      return QStringLiteral("Information");
    case TBoxWord::Confirmation:
      return QStringLiteral("Confirmation");
    case TBoxWord::Yes:
      return QStringLiteral("Yes");
    case TBoxWord::No:
      return QStringLiteral("No");
    case TBoxWord::YesToAll:
      return QStringLiteral("YesToAll");
    case TBoxWord::Cancel:
      return QStringLiteral("Cancel");
    case TBoxWord::Help:
      return QStringLiteral("Help");
    case TBoxWord::Close:
      return QStringLiteral("Close");
  }
  return {};
}

QString BoxWord(TBoxWord word) { return Translate(kMessages, BoxWordKey(word)); }

QString WithEditionName(const QString& text) {
  // A text that already names the edition keeps its name: no "Vorelkitkit".
  static const QRegularExpression kProductName(QStringLiteral("vorel(?!kit)"),
                                               QRegularExpression::CaseInsensitiveOption);
  QString result = text;
  return result.replace(kProductName, QStringLiteral("Vorelkit"));
}

std::optional<QString> AboutTranslationText() {
  const TIniFile* file = ActiveLanguageFile();
  if (!file) return std::nullopt;
  const auto info = [file](const QString& key, const QString& fallback) {
    const QString value = file->ReadString(kInfo, key, QString());
    return value.isEmpty() ? fallback : value;
  };
  // Lines end in CR LF: a lone CR does not break a line in a Qt label.
  return Message(1120) + ' ' + info(QStringLiteral("Language"), QStringLiteral("English")) +
         kLineBreak + Message(1130) + ' ' + info(QStringLiteral("Translation"), kDefaultCredit) +
         kLineBreak + Message(1140) + ' ' + info(QStringLiteral("Version"), QStringLiteral("4.1"));
}

std::vector<TLanguageEntry> ListLanguages(const QString& folder) {
  // Name filters ignore case, so "German.LNG" is listed too; sorted, because the order of
  // a directory listing means nothing on Linux.
  const QFileInfoList files = QDir(folder).entryInfoList(
      {QStringLiteral("*.lng")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
  std::vector<TLanguageEntry> languages;
  for (const QFileInfo& info : files)
    languages.push_back({info.completeBaseName(), PathIn(folder, info.fileName())});
  return languages;
}

QString StartLanguagePath(const QString& appLanguageFile, const QString& folder) {
  const QString name = QFileInfo(appLanguageFile).fileName();
  const QString chosen = PathIn(folder, name);
  if (!name.isEmpty() && QFileInfo(chosen).isFile()) return chosen;
  return PathIn(folder, QStringLiteral("English.lng"));
}

QString ChooserLanguagePath(const QString& itemText, const QString& folder) {
  const QString name = itemText.trimmed();
  for (const TLanguageEntry& language : ListLanguages(folder))
    if (language.name == name) return language.path;
  return PathIn(folder, name + QStringLiteral(".lng"));
}

QString LanguageFileSetting(const QString& path) { return QFileInfo(path).fileName(); }

}  // namespace vk::app

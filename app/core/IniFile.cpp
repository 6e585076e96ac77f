#include "app/core/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace vk::app {

bool TIniFile::Load(const QString& path) {
  sections_.clear();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  // A byte-order mark names the encoding; without one the text is UTF-8.
  auto encoding = QStringConverter::encodingForData(bytes);
  QStringDecoder decode(encoding.value_or(QStringConverter::Utf8));
  Parse(decode(bytes));
  return true;
}

void TIniFile::Parse(const QString& text) {
  sections_.clear();
  sections_.push_back({});
  QString body = text;
  if (body.startsWith(QChar(0xFEFF))) body.remove(0, 1);
  for (QString line : body.split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
      sections_.push_back({trimmed.mid(1, trimmed.size() - 2).trimmed(), {}});
      continue;
    }
    Line l{line, {}, {}};
    const qsizetype eq = line.indexOf('=');
    if (eq > 0 && !trimmed.startsWith(';') && !trimmed.startsWith('#')) {
      l.key = line.left(eq).trimmed();
      l.value = line.mid(eq + 1).trimmed();
    }
    sections_.back().lines.push_back(std::move(l));
  }
  // A file ending with a line break does not gain an empty line at each rewrite.
  Section& last = sections_.back();
  if (!last.lines.empty() && last.lines.back().text.isEmpty() && last.lines.back().key.isEmpty())
    last.lines.pop_back();
}

QString TIniFile::Text() const {
  QString out;
  for (const Section& s : sections_) {
    if (!s.name.isEmpty()) out += '[' + s.name + "]\n";
    for (const Line& l : s.lines) out += (l.key.isEmpty() ? l.text : l.key + '=' + l.value) + '\n';
  }
  return out;
}

bool TIniFile::Save(const QString& path) const {
  QSaveFile file(path);  // a temporary file beside `path`, renamed over it on commit
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = Text().toUtf8();
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

TIniFile::Section* TIniFile::Find(const QString& section) {
  for (Section& s : sections_)
    if (!s.name.isEmpty() && s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
  return nullptr;
}

const TIniFile::Section* TIniFile::Find(const QString& section) const {
  return const_cast<TIniFile*>(this)->Find(section);
}

const TIniFile::Line* TIniFile::FindKey(const Section& s, const QString& key) {
  for (const Line& l : s.lines)
    if (!l.key.isEmpty() && l.key.compare(key, Qt::CaseInsensitive) == 0) return &l;
  return nullptr;
}

bool TIniFile::HasSection(const QString& section) const { return Find(section) != nullptr; }

bool TIniFile::HasKey(const QString& section, const QString& key) const {
  return Value(section, key).has_value();
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const {
  const Section* s = Find(section);
  const Line* l = s ? FindKey(*s, key) : nullptr;
  if (!l) return std::nullopt;
  return l->value;
}

QString TIniFile::ReadString(const QString& section, const QString& key,
                             const QString& fallback) const {
  return Value(section, key).value_or(fallback);
}

qint64 TIniFile::ReadInteger(const QString& section, const QString& key, qint64 fallback) const {
  std::optional<QString> v = Value(section, key);
  if (!v) return fallback;
  bool ok = false;
  const qint64 n = v->toLongLong(&ok, 10);
  return ok ? n : fallback;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool fallback) const {
  std::optional<QString> v = Value(section, key);
  if (!v) return fallback;
  bool ok = false;
  const qint64 n = v->toLongLong(&ok, 10);
  return ok ? n != 0 : fallback;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  if (sections_.empty()) sections_.push_back({});
  Section* s = Find(section);
  if (!s) {
    sections_.push_back({section, {}});
    s = &sections_.back();
  }
  if (Line* l = const_cast<Line*>(FindKey(*s, key))) {
    l->value = value;
    return;
  }
  // After the section's last key, so that blank lines and comments closing it stay last.
  auto at = s->lines.end();
  while (at != s->lines.begin() && std::prev(at)->key.isEmpty()) --at;
  s->lines.insert(at, Line{QString(), key, value});
}

void TIniFile::WriteInteger(const QString& section, const QString& key, qint64 value) {
  WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList TIniFile::Sections() const {
  QStringList names;
  for (const Section& s : sections_)
    if (!s.name.isEmpty()) names << s.name;
  return names;
}

QStringList TIniFile::Keys(const QString& section) const {
  QStringList keys;
  if (const Section* s = Find(section))
    for (const Line& l : s->lines)
      if (!l.key.isEmpty()) keys << l.key;
  return keys;
}

void TIniFile::EraseSection(const QString& section) {
  std::erase_if(sections_, [&](const Section& s) {
    return !s.name.isEmpty() && s.name.compare(section, Qt::CaseInsensitive) == 0;
  });
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
  if (Section* s = Find(section))
    std::erase_if(s->lines, [&](const Line& l) {
      return !l.key.isEmpty() && l.key.compare(key, Qt::CaseInsensitive) == 0;
    });
}

}  // namespace vk::app

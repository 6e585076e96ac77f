// The INI documents of the application (Settings.ini, language files, the settings export):
// read whole, changed in memory, written back with everything the program does not know
// about (sections, keys, comments and their order) kept as it was.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vk::app {

class TIniFile {
 public:
  // Reads `path` (UTF-8 with or without a byte-order mark, also UTF-16LE with its mark;
  // CRLF or LF). A missing or unreadable file gives an empty document; false then.
  bool Load(const QString& path);
  // Parses text that is already in memory.
  void Parse(const QString& text);
  // Writes the document through a temporary file in the same folder renamed over `path`,
  // so that a failed write never leaves half a file. UTF-8 without a mark, LF line ends.
  bool Save(const QString& path) const;
  QString Text() const;

  // Sections and keys are found ignoring case; the case first written is kept. Of two equal
  // keys in a section the first wins.
  bool HasSection(const QString& section) const;
  bool HasKey(const QString& section, const QString& key) const;
  std::optional<QString> Value(const QString& section, const QString& key) const;
  QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
  // A decimal integer; the fallback when the key is missing or holds anything else.
  qint64 ReadInteger(const QString& section, const QString& key, qint64 fallback) const;
  // True for any non-zero number, false for 0; the fallback otherwise.
  bool ReadBool(const QString& section, const QString& key, bool fallback) const;

  // Sets a key, adding the section (at the end) and the key (at the end of its section)
  // when missing.
  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, qint64 value);
  void WriteBool(const QString& section, const QString& key, bool value);  // "1" or "0"

  QStringList Sections() const;
  // The keys of a section in file order.
  QStringList Keys(const QString& section) const;
  // Removes a section with all its keys and lines.
  void EraseSection(const QString& section);
  void DeleteKey(const QString& section, const QString& key);

 private:
  struct Line {
    QString text;  // the line as read (kept for comments and lines that are not keys)
    QString key;   // empty for lines that are not key lines
    QString value;
  };
  struct Section {
    QString name;  // empty for lines before the first section header
    std::vector<Line> lines;
  };

  Section* Find(const QString& section);
  const Section* Find(const QString& section) const;
  static const Line* FindKey(const Section& s, const QString& key);

  std::vector<Section> sections_;
};

}  // namespace vk::app

// Typed keys of an INI document read and written from one list. A settings class names its
// keys once, in a function template over the field handler; the reader below loads them (with
// the value taken when a key is missing, unparsable or out of range), the writer stores them.
#pragma once

#include <QString>
#include <climits>

#include "app/core/IniFile.h"

namespace vk::app {

class TIniFieldReader {
 public:
  explicit TIniFieldReader(const TIniFile& ini) : ini_(ini) {}

  void Bool(const QString& section, const QString& key, bool& field, bool readDefault) const {
    field = ini_.ReadBool(section, key, readDefault);
  }
  void Int(const QString& section, const QString& key, int& field, int readDefault,
           int min = INT_MIN, int max = INT_MAX) const {
    const qint64 v = ini_.ReadInteger(section, key, readDefault);
    field = v < min || v > max ? readDefault : static_cast<int>(v);
  }
  void String(const QString& section, const QString& key, QString& field,
              const QString& readDefault) const {
    field = ini_.ReadString(section, key, readDefault);
  }

 private:
  const TIniFile& ini_;
};

class TIniFieldWriter {
 public:
  explicit TIniFieldWriter(TIniFile& ini) : ini_(ini) {}

  void Bool(const QString& section, const QString& key, bool field, bool) const {
    ini_.WriteBool(section, key, field);
  }
  void Int(const QString& section, const QString& key, int field, int, int = INT_MIN,
           int = INT_MAX) const {
    ini_.WriteInteger(section, key, field);
  }
  void String(const QString& section, const QString& key, const QString& field,
              const QString&) const {
    ini_.WriteString(section, key, field);
  }

 private:
  TIniFile& ini_;
};

}  // namespace vk::app

#include "app/core/ColumnFormat.h"

#include <QDate>
#include <QTime>

#include "engine/base/DateTime.h"
#include "engine/list/PrintText.h"

namespace vk::app {

namespace {

// The locale's long time format with the time zone taken out: the lists show archive
// times, which carry no zone. Quoted literals are kept as they are. Rows are formatted one
// cell at a time, so the format of the last locale asked for is kept.
const QString& TimeFormatWithoutZone(const QLocale& locale) {
  static QLocale cachedLocale = QLocale::c();
  static QString cached;
  static bool filled = false;
  if (filled && locale == cachedLocale) return cached;
  const QString format = locale.timeFormat(QLocale::LongFormat);
  QString result;
  bool quoted = false;
  for (QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (quoted || c != u't') result += c;
  }
  cached = result.simplified();
  cachedLocale = locale;
  filled = true;
  return cached;
}

}  // namespace

QString FormatThousands(int64_t value) {
  return QString::fromStdString(qel::GroupThousands(value));
}

QString FormatModified(double tdatetime, const QLocale& locale) {
  if (tdatetime == 0) return QStringLiteral("0");
  int year, month, day, hour, minute, second;
  qel::DecodeDateTime(tdatetime, year, month, day, hour, minute, second);
  QString text = locale.toString(QDate(year, month, day), QLocale::ShortFormat);
  if (hour != 0 || minute != 0 || second != 0)
    text += u' ' + locale.toString(QTime(hour, minute, second), TimeFormatWithoutZone(locale));
  return text;
}

QString CrcText(uint32_t crc) {
  return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

QString ColumnText(const TShellItem& item, int column, const QLocale& locale) {
  const bool folder = item.IsFolder();
  switch (column) {
    case colName:
      return item.Caption();
    case colFileType:
      return folder ? QStringLiteral("Folder") : item.FileType;
    case colModified:
      return folder ? QString() : FormatModified(item.Modified, locale);
    case colSize:
      return folder ? QString() : FormatThousands(item.Size);
    case colRatio:
      return folder ? QString() : QString::number(item.Ratio) + u'%';
    case colPacked:
      return folder ? QString() : FormatThousands(item.Packed);
    case colCRC:
      return folder ? QString() : CrcText(item.CRC);
    case colAttributes:
      return item.Attributes;
    case colFolder:
      return item.Folder;
    default:
      return {};
  }
}

Qt::Alignment ColumnAlignment(int column) {
  const bool right = column == colSize || column == colRatio || column == colPacked;
  return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QString DefaultColumnCaption(int column) {
  static const char* const kCaptions[kColumnCount] = {"File Name", "File Type",  "Modified",
                                                      "Size",      "Ratio",      "Packed",
                                                      "CRC",       "Attributes", "Folder"};
  if (column < 0 || column >= kColumnCount) return {};
  return QString::fromLatin1(kCaptions[column]);
}

}  // namespace vk::app

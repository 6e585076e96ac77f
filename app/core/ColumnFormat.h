// The columns of both entry lists and the text each shows for a row.
#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

#include "app/core/ShellItem.h"

namespace vk::app {

enum TColumn {
  colName,
  colFileType,
  colModified,
  colSize,
  colRatio,
  colPacked,
  colCRC,
  colAttributes,
  colFolder,
  kColumnCount
};

// Digits grouped by three with ",", whatever the locale: "1,234,567", "0", "-1,024".
QString FormatThousands(int64_t value);
// A TDateTime as the locale's short date and its time with seconds (no time zone); the time
// is left out at exactly midnight, and "0" stands for no date at all.
QString FormatModified(double tdatetime, const QLocale& locale);
// Eight upper-case hexadecimal digits.
QString CrcText(uint32_t crc);
// The text of `column` for `item`; folder rows leave the file-only columns empty.
QString ColumnText(const TShellItem& item, int column, const QLocale& locale);
// Sizes and the ratio are right-aligned, everything else left-aligned.
Qt::Alignment ColumnAlignment(int column);
// The built-in English header caption of `column`.
QString DefaultColumnCaption(int column);

}  // namespace vk::app

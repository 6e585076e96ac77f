#include "app/core/PromptTexts.h"

#include <QDateTime>

#include "app/core/Translation.h"

namespace vk::app {
namespace {

const QString kIndent = QStringLiteral("   ");

// "dd", "mm", "yy hh", "mm" joined with the locale's own date and time separators.
QString AddingDateTime(const QDateTime& t, const QLocale& locale) {
  auto separator = [](const QString& format, QChar fallback) {
    for (QChar c : format)
      if (!c.isLetter() && c != u'\'') return c;
    return fallback;
  };
  const QChar date = separator(locale.dateFormat(QLocale::ShortFormat), u'/');
  const QChar time = separator(locale.timeFormat(QLocale::ShortFormat), u':');
  return t.toString(QStringLiteral("dd%1MM%1yy hh%2mm").arg(date, time));
}

QString DateText(int64_t seconds, TReplaceKind kind, bool existing, const QLocale& locale) {
  if (seconds < 0) return {};
  const QDateTime t = QDateTime::fromSecsSinceEpoch(seconds);
  if (kind == TReplaceKind::ArchiveEntry) return AddingDateTime(t, locale);
  // A file on disk in the default format; an archive entry's time to the second.
  if (existing) return locale.toString(t, QLocale::ShortFormat);
  return locale.toString(t.date(), QLocale::ShortFormat) + u' ' +
         locale.toString(t.time(), QLocale::LongFormat);
}

QString FactsText(const TFileFacts& f, TReplaceKind kind, bool existing, const QLocale& locale) {
  QString text = kIndent + QString::fromStdString(f.Name) + u'\n' + kIndent + Message(730) + u' ' +
                 (f.Size < 0 ? QString() : QString::number(f.Size)) + u'\n' + kIndent +
                 Message(740) + u' ' + DateText(f.Time, kind, existing, locale);
  if (kind == TReplaceKind::ArchiveEntry)
    text += u'\n' + kIndent + Message(750) + u' ' + QString::fromStdString(f.Attributes);
  return text;
}

}  // namespace

QString ReplaceText(const TReplaceQuestion& q, const QLocale& locale) {
  return Message(720) + u'\n' + FactsText(q.Existing, q.Kind, true, locale) +
         QStringLiteral("\n\n") + Message(760) + u'\n' +
         FactsText(q.Incoming, q.Kind, false, locale);
}

QString GroupedSize(int64_t bytes) {
  if (bytes < 0) return QStringLiteral("not available");
  QString digits = QString::number(bytes);
  for (qsizetype i = digits.size() - 3; i > 0; i -= 3) digits.insert(i, u',');
  return digits;
}

QString DiskSpaceText(const TDiskSpace& s) {
  return Message(610) + u' ' + QString::fromStdString(s.Drive) + u'\n' + Message(620) + u' ' +
         GroupedSize(s.RequiredSpace) + u'\n' + Message(630) + u' ' + GroupedSize(s.FreeSpace) +
         u'\n' + Message(640) + u' ' + GroupedSize(s.DiskSize) + QStringLiteral("\n\n") +
         Message(650);
}

QString DiskTooSmallText() { return Message(600) + QStringLiteral("\n\n"); }

QString DiskRequestText(TDiskRequest request, const QString& label) {
  switch (request) {
    case TDiskRequest::First:
      return Message(810);
    case TDiskRequest::Last:
      return Message(820);
    case TDiskRequest::Next:
      break;
  }
  return Message(660) + u' ' + label;
}

QString VolumePrompt(int number) { return Message(830) + u' ' + QString::number(number); }

QString ReadOnlyText(const QString& archive) {
  return archive + u' ' + Message(670) + QStringLiteral("\n\n") + Message(680);
}

QString LimitedUserText(const QString& protectedDir) {
  return protectedDir + QStringLiteral(
                            "\nYou do not have permissions to write to this directory.\n\n"
                            "You do have permissions in your user directory. You can use any sub "
                            "directory\nor even create a new directory!");
}

QString CorruptHeaderText() { return Message(790) + u'\n' + Message(800); }

QString OutputExistsText(const QString& fileName) {
  return FormatMessage(Message(840), {fileName});
}

QString NestedTarText(const QString& fileName) { return FormatMessage(Message(850), {fileName}); }

}  // namespace vk::app

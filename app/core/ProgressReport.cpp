#include "app/core/ProgressReport.h"

#include <utility>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/base/Messages.h"

namespace vk::app {

std::optional<QString> TErrorLog::Report(const QString& fileName, int code) {
  if (!fileName.isEmpty() && fileName.compare(lastName_, Qt::CaseInsensitive) == 0)
    return std::nullopt;
  lastName_ = fileName;
  const std::string_view text = qel::MessageText(code);
  return QString::fromUtf8(text.data(), qsizetype(text.size())) +
         FormatMessage(QStringLiteral(": \"%s\""), {fileName});
}

std::optional<QString> NothingChangedNotice(int code) {
  if (code != qel::msg::NothingToDo) return std::nullopt;
  return QStringLiteral("Nothing changed: the archive already holds these files as they are.");
}

std::optional<QString> CountMessage(TCounted what, int count) {
  if (count <= 0 || !AppSettings().ShowMessages) return std::nullopt;
  const bool one = count == 1;
  QString text;
  switch (what) {
    case TCounted::Added:
      text = one ? Message(100) : Message(101);
      break;
    case TCounted::Extracted:
      text = one ? Message(170) : Message(180);
      break;
    case TCounted::Deleted:
      text = one ? Message(150) : Message(160);
      break;
  }
  return one ? text : FormatMessage(text, {QString::number(count)});
}

qel::TErrorEvent ReportingErrors(TErrorLog& log, TEnginePrompts& prompts,
                                 std::function<void(const QString& notice)> notice,
                                 std::function<void(const std::optional<QString>& line)> error) {
  return [&log, &prompts, notice = std::move(notice), error = std::move(error)](
             qel::TZipCommon&, const std::string& file, const std::string&, const std::string&,
             int code) {
    if (notice)
      if (const std::optional<QString> text = NothingChangedNotice(code)) {
        notice(*text);
        return;
      }
    prompts.ForgetPassword();
    error(log.Report(QString::fromStdString(file), code));
  };
}

QString WrapperErrorLine(const QString& text) {
  return Message(1035) + FormatMessage(QStringLiteral(" \"%s\""), {text});
}

int TrayImageIndex(int percent) {
  if (percent < 10) return 0;
  if (percent >= 90) return 5;
  return (percent - 10) / 20 + 1;
}

QString ShortenPath(const QString& path, int maxWidth,
                    const std::function<int(const QString&)>& width) {
  if (width(path) <= maxWidth) return path;
  const qsizetype rootLength = path.startsWith(u'/') ? 1 : 0;
  const QString root = path.left(rootLength) + QStringLiteral(".../");
  QString rest = path.mid(rootLength);
  QString text = path;
  for (qsizetype slash = rest.indexOf(u'/'); slash >= 0; slash = rest.indexOf(u'/')) {
    rest = rest.mid(slash + 1);
    text = root + rest;
    if (width(text) <= maxWidth) break;
  }
  return text;
}

QString ProgressTitle(bool compressing, int percent) {
  const QString format = compressing ? QStringLiteral("Vorelkit - Compress: %d%s")
                                     : QStringLiteral("Vorelkit - Extract: %d%s");
  return FormatMessage(format, {QString::number(percent), QStringLiteral("%")});
}

}  // namespace vk::app

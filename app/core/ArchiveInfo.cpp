#include "app/core/ArchiveInfo.h"

#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <memory>

#include "app/core/AppSettings.h"
#include "app/core/ColumnFormat.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/base/DateTime.h"
#include "engine/list/PrintText.h"
#include "engine/registry/Formats.h"
#include "engine/text/CodePages.h"
#include "engine/text/EntryNames.h"
#include "formats/zip/ZipTail.h"
#include "formats/zip/ZipWriter.h"

namespace vk::app {
namespace {

// A writer on `archive` with the window's error handling, ready for comment editing.
void Prepare(qel::TZip& zip, const QString& archive, const qel::TErrorEvent& onError) {
  zip.OnError = onError;
  zip.SetTempDir(AppSettings().AppTempFolder.toStdString());
  zip.SetArchiveFile(archive.toStdString());
}

// Written by a tool that stores UTF-8 (zip on a UTF-8 terminal), or by one that keeps to
// the ANSI code page.
QString CommentText(const std::string& stored) {
  return QString::fromStdString(qel::text::DecodeStoredText(stored))
      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

bool HasArchiveComment(qel::TArcType type) { return qel::Can(type, qel::capComment); }

std::optional<QString> ListedComment(const qel::TZipCommon& lister) {
  const std::optional<std::string> text = qel::zip::ArchiveCommentText(lister);
  if (!HasArchiveComment(lister.ArcType()) || !text) return std::nullopt;
  return QString::fromStdString(*text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::optional<QString> ReadArchiveComment(const QString& archive, const qel::TErrorEvent& onError) {
  qel::TZip zip;
  Prepare(zip, archive, onError);
  if (zip.BeginCommentEdit() < 0) return std::nullopt;
  const std::string stored = zip.ArchiveComment;
  zip.EndCommentEdit(false);
  return CommentText(stored);
}

TCommentSave WriteArchiveComment(const QString& archive, const QString& text,
                                 TEnginePrompts* prompts, const qel::TErrorEvent& onError) {
  const std::optional<std::string> stored =
      qel::text::EncodeCodePage(qel::text::CodePages().Ansi, text.toStdString());
  if (!stored) return TCommentSave::NotInCodePage;
  qel::TZip zip;
  Prepare(zip, archive, onError);
  if (prompts) prompts->AttachWriter(zip);
  if (zip.BeginCommentEdit() < 0) return TCommentSave::Failed;
  zip.ArchiveComment = *stored;
  zip.ArchiveCommentChanged = true;
  return zip.EndCommentEdit(true) ? TCommentSave::Saved : TCommentSave::Failed;
}

QString ListText(const TListHeading& heading, const std::vector<TShellItem*>& rows,
                 const QLocale& locale) {
  qel::TPrintHeading top;
  top.ArchiveName = heading.ArchiveName.toStdString();
  top.Packed = heading.Packed;
  top.Unpacked = heading.Unpacked;
  top.Files = heading.Files;
  if (heading.Comment) top.Comment = heading.Comment->toStdString();
  std::vector<qel::TPrintRow> lines;
  lines.reserve(rows.size());
  for (const TShellItem* item : rows)
    lines.push_back({item->Caption().toStdString(),
                     FormatModified(item->Modified, locale).toStdString(), item->Packed, item->Size,
                     item->Folder.toStdString()});
  return QString::fromStdString(qel::PrintText(top, lines));
}

QString FileModifiedText(const QString& path, const QLocale& locale) {
  const QFileInfo info(path);
  if (!info.exists()) return FormatModified(0, locale);
  return FormatModified(qel::UnixToDateTime(info.lastModified().toSecsSinceEpoch()), locale);
}

void MailFile(const QString& file, QObject* context, std::function<void(const QString&)> done) {
  const QString name = QString::fromLatin1(kMailProgram);
  const QString program = QStandardPaths::findExecutable(name);
  if (program.isEmpty()) {
    done(QStringLiteral("The archive cannot be mailed: %1 was not found on the search path "
                        "(it comes with the desktop's xdg-utils).")
             .arg(name));
    return;
  }
  // The mail program it starts may outlive it and inherits its output: a file, not a pipe
  // that would break under that program once this side is gone.
  const QString temp = AppSettings().AppTempFolder;
  auto said = temp.isEmpty() ? std::make_shared<QTemporaryFile>()
                             : std::make_shared<QTemporaryFile>(temp + "/mail-XXXXXX.txt");
  if (!said->open()) said.reset();
  // Not owned by the window: a mail program that stays open with the new message is not
  // taken down with it.
  auto* process = new QProcess;
  process->setProgram(program);
  process->setArguments({QStringLiteral("--attach"), file});
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(said ? said->fileName() : QProcess::nullDevice());
  QPointer<QObject> alive(context);
  QObject::connect(
      process, &QProcess::finished, process,
      [process, alive, done, said, name](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if (!alive) return;
        if (status == QProcess::NormalExit && code == 0) {
          done({});
          return;
        }
        QString reason =
            status == QProcess::NormalExit
                ? QStringLiteral(
                      "The archive could not be mailed: %1 ended with "
                      "exit code %2.")
                      .arg(name)
                      .arg(code)
                : QStringLiteral("The archive could not be mailed: %1 crashed.").arg(name);
        if (said) {
          said->seek(0);
          const QString text = QString::fromLocal8Bit(said->read(4096)).trimmed();
          if (!text.isEmpty()) reason += u'\n' + text;
        }
        done(reason);
      });
  process->start();
  if (!process->waitForStarted()) {
    const QString reason =
        QStringLiteral("The archive cannot be mailed: %1 could not be started (%2).")
            .arg(name, process->errorString());
    delete process;
    done(reason);
  }
}

}  // namespace vk::app

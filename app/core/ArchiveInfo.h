// What the File menu's commands on the whole archive need below the window: a ZIP's archive
// comment read and written in the ANSI code page, the file list as the text that is printed,
// the date of the archive file, and the archive handed to the desktop's mail program.
#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "app/core/ShellItem.h"
#include "engine/base/ArcType.h"
#include "engine/base/Events.h"

namespace vk::app {

class TEnginePrompts;

// Whether archives of `type` carry an archive comment the comments window edits.
bool HasArchiveComment(qel::TArcType type);
// The comment of the archive a lister has opened (found while it was detected); nothing
// when it has none.
std::optional<QString> ListedComment(const qel::TZipCommon& lister);

// The comment of the ZIP `archive`, lines separated by "\n". Stored bytes that are UTF-8
// with something beyond ASCII are taken as UTF-8, any others as the ANSI code page.
// Nothing when the archive cannot be read; the reason went to `onError`.
std::optional<QString> ReadArchiveComment(const QString& archive, const qel::TErrorEvent& onError);

enum class TCommentSave { Saved, NotInCodePage, Failed };
// Stores `text` as the archive comment of the ZIP `archive`, in the ANSI code page; an empty
// text removes the comment. Only the end record is written again. NotInCodePage (nothing
// written) when a character of `text` has no place in that code page.
TCommentSave WriteArchiveComment(const QString& archive, const QString& text,
                                 TEnginePrompts* prompts, const qel::TErrorEvent& onError);

// What the printed list says above and below its rows.
struct TListHeading {
  QString ArchiveName;  // the file name, without its folder
  int64_t Packed = 0;
  int64_t Unpacked = 0;
  int Files = 0;
  std::optional<QString> Comment;  // a ZIP's comment; nothing without one
};

// The printed list: the heading, then one line per row in the order given, with the row's
// name as the list shows it and its date as the Modified column formats it in `locale`.
QString ListText(const TListHeading& heading, const std::vector<TShellItem*>& rows,
                 const QLocale& locale);

// The modification time of the file `path` as the lists format dates.
QString FileModifiedText(const QString& path, const QLocale& locale);

// The program the archive is mailed with, looked up on the search path when it is used.
inline constexpr char kMailProgram[] = "xdg-email";

// Hands `file` to the desktop's mail program as the attachment of a new message
// ("xdg-email --attach FILE", an argument list, no shell). `done` gets "" once the program
// ended well, else the reason in words (the program missing, failing to start, or ending
// with an error); it is called at once when the program cannot be started, otherwise when
// it ends, and never after `context` is gone.
void MailFile(const QString& file, QObject* context, std::function<void(const QString&)> done);

}  // namespace vk::app

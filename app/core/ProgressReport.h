// What the progress and error displays show while a component runs, without the windows:
// the error list's lines, the tray picture for a percentage, status-bar paths shortened
// to a width and the application title with the percentage.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "engine/base/Events.h"

namespace vk::app {

class TEnginePrompts;

// The error list's lines. A component often reports several errors for one file in a
// row; only the first gives a line.
class TErrorLog {
 public:
  // The line for an error a writer or reader reported: the engine's message for `code`
  // and the file name in quotes. Nothing when the file is the one reported last (ignoring
  // case); an error without a file name always gives a line.
  std::optional<QString> Report(const QString& fileName, int code);
  // Every component activation: the next error is reported whatever its file.
  void ComponentActivated() { lastName_.clear(); }

 private:
  QString lastName_;
};

// A writer reports an add that changed nothing (every file already stored as it is, or
// none to take) as its "Nothing to do" error. That is an outcome, not a fault: the text
// that says so plainly; nothing for any other code.
std::optional<QString> NothingChangedNotice(int code);

// What a command that counted files says afterwards: one file, or how many.
enum class TCounted { Added, Extracted, Deleted };
// The box text for `count` files; nothing for none, or when the settings ask for no such
// boxes (ShowMessages off).
std::optional<QString> CountMessage(TCounted what, int count);

// A component's error handler as every window and job gives it: an outcome that is no fault
// (NothingChangedNotice) goes to `notice` when one is given; any other error forgets the
// remembered password (it may be the one that failed) and is told to `error` with its
// error-list line, none for a file's repeated errors.
qel::TErrorEvent ReportingErrors(TErrorLog& log, TEnginePrompts& prompts,
                                 std::function<void(const QString& notice)> notice,
                                 std::function<void(const std::optional<QString>& line)> error);

// The line for an error a wrapper reported as text (message 1035).
QString WrapperErrorLine(const QString& text);

// The tray picture (0 to 5) for a percentage of the work done.
int TrayImageIndex(int percent);

// `path` shortened until `width(text)` is at most `maxWidth`: the root stays and leading
// folders give way to ".../" one by one; the file name itself is never cut.
QString ShortenPath(const QString& path, int maxWidth,
                    const std::function<int(const QString&)>& width);

// The application title while a component runs: adding or moving is "Compress", anything
// else (extracting, testing, deleting, refreshing) "Extract".
QString ProgressTitle(bool compressing, int percent);

}  // namespace vk::app

// What a start of the program asks for, from its command line: an interactive run
// (optionally opening an archive) or a one-shot job of the shell integration that runs
// without the main window.
#pragma once

#include <QString>
#include <QStringList>

namespace vk::app {

enum class TStartSwitch {
  None,                     // no parameters: just the window
  OpenArchive,              // a plain archive name, or /ow
  DoubleClickExtract,       // a plain archive name while DCExtract is on
  UnregisterAssociations,   // /ur
  SelectLanguage,           // /sa
  MakeSelfExtractor,        // /s
  ExtractWithDialog,        // /e
  ExtractHere,              // /eh
  ExtractToFolders,         // /ef
  Test,                     // /t
  Convert,                  // /cv
  AddFromListFile,          // /af
  AddFromListFileDirectly,  // /adf
  Add,                      // /a
  AddDirectly,              // /ad
};

struct TStartCommand {
  TStartSwitch Switch = TStartSwitch::None;
  // Hidden runs never show the main window: the job runs and the program ends. They take
  // no part in the single-instance check either (neither register nor hand over).
  bool Hidden = false;
  QString StartupArchive;       // the archive an interactive run opens
  QString Archive;              // the archive of /s and /t
  QStringList CommandFileList;  // the files or archives a job works on
  QString ExtractTarget;        // the destination of the extraction switches
};

// The shell integration passes spaces as ">".
QString UnescapeSpaces(QString text);
// Cuts a list at every ";" and "|"; every piece, empty ones too, in order.
QStringList SplitFileList(const QString& text);

// Reads the parameters (without the program's name). `dcExtract` is the setting that makes
// a plain archive name extract at once instead of opening the window.
TStartCommand ParseCommandLine(const QStringList& params, bool dcExtract);

// The command line a second instance hands over: each parameter followed by one space, a
// parameter holding a space enclosed in double quotes, the last space dropped.
QString HandOverCommandLine(const QStringList& params);

// What the first instance opens from a received command line: trimmed, one pair of
// surrounding double quotes removed, and a relative name taken from the sender's folder.
QString ReceivedArchiveName(const QString& commandLine, const QString& senderFolder);

// The name of the list file of /af and /adf.
inline constexpr char kListFileName[] = "atfl$01.tmp";

}  // namespace vk::app

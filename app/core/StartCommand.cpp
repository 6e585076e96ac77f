#include "app/core/StartCommand.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace vk::app {
namespace {

struct SwitchRow {
  const char* name;  // without its "/" or "-"
  TStartSwitch value;
};

// Tested in this order; the whole parameter is compared, so "/s" never takes "/sa".
constexpr std::array<SwitchRow, 13> kSwitches = {{
    {"ur", TStartSwitch::UnregisterAssociations},
    {"sa", TStartSwitch::SelectLanguage},
    {"s", TStartSwitch::MakeSelfExtractor},
    {"e", TStartSwitch::ExtractWithDialog},
    {"eh", TStartSwitch::ExtractHere},
    {"ef", TStartSwitch::ExtractToFolders},
    {"t", TStartSwitch::Test},
    {"cv", TStartSwitch::Convert},
    {"af", TStartSwitch::AddFromListFile},
    {"adf", TStartSwitch::AddFromListFileDirectly},
    {"a", TStartSwitch::Add},
    {"ad", TStartSwitch::AddDirectly},
    {"ow", TStartSwitch::OpenArchive},
}};

TStartSwitch SwitchOf(const QString& param) {
  if (param.size() < 2 || (param[0] != '/' && param[0] != '-')) return TStartSwitch::None;
  const QString word = param.mid(1);
  for (const SwitchRow& row : kSwitches)
    if (word.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0) return row.value;
  return TStartSwitch::None;
}

// Parameters `from` (counted from 1) to the last, joined with single spaces.
QString JoinedFrom(const QStringList& params, int from) {
  return UnescapeSpaces(params.mid(from - 1).join(' ').trimmed());
}

// The items of parameters `from` (counted from 1) to the last. A desktop or a shell hands
// each file over as a parameter of its own, so each is a list of its own (cut at ";" and
// "|"), never joined with the next one.
QStringList ItemsFrom(const QStringList& params, int from) {
  QStringList items;
  for (const QString& param : params.mid(from - 1))
    items += SplitFileList(UnescapeSpaces(param.trimmed()));
  return items;
}

QString Param(const QStringList& params, int n) {
  return n <= params.size() ? UnescapeSpaces(params[n - 1]) : QString();
}

}  // namespace

QString UnescapeSpaces(QString text) { return text.replace('>', ' '); }

QStringList SplitFileList(const QString& text) {
  return QString(text).replace(';', '|').split('|');
}

TStartCommand ParseCommandLine(const QStringList& params, bool dcExtract) {
  TStartCommand c;
  if (params.isEmpty()) return c;
  c.Switch = SwitchOf(params[0]);
  c.Hidden = c.Switch != TStartSwitch::None && c.Switch != TStartSwitch::OpenArchive;
  switch (c.Switch) {
    case TStartSwitch::None:
      if (dcExtract) {
        // A double click extracts the archive beside itself without showing the window.
        const QString archive =
            QDir::cleanPath(QDir::current().absoluteFilePath(UnescapeSpaces(params[0].trimmed())));
        c.Switch = TStartSwitch::DoubleClickExtract;
        c.Hidden = true;
        c.ExtractTarget = QFileInfo(archive).absolutePath();
        c.CommandFileList = SplitFileList(archive);
      } else {
        c.Switch = TStartSwitch::OpenArchive;
        c.StartupArchive = UnescapeSpaces(params[0].trimmed());
      }
      break;
    case TStartSwitch::OpenArchive:
      c.StartupArchive = Param(params, 2);
      break;
    case TStartSwitch::MakeSelfExtractor:
      c.Archive = JoinedFrom(params, 2);
      break;
    case TStartSwitch::ExtractWithDialog:
    case TStartSwitch::ExtractHere:
    case TStartSwitch::ExtractToFolders:
      c.ExtractTarget = Param(params, 2);
      c.CommandFileList = ItemsFrom(params, 3);
      break;
    case TStartSwitch::Test:
      c.Archive = Param(params, 2);
      break;
    case TStartSwitch::Convert:
    case TStartSwitch::Add:
    case TStartSwitch::AddDirectly:
      c.CommandFileList = ItemsFrom(params, 2);
      break;
    default:  // /ur, /sa, /af, /adf take no parameters (the list file is read when run)
      break;
  }
  return c;
}

QString HandOverCommandLine(const QStringList& params) {
  QStringList quoted;
  for (const QString& p : params) quoted << (p.contains(' ') ? '"' + p + '"' : p);
  return quoted.join(' ');
}

QString ReceivedArchiveName(const QString& commandLine, const QString& senderFolder) {
  QString name = commandLine.trimmed();
  if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
    name = name.mid(1, name.size() - 2);
  if (name.isEmpty() || senderFolder.isEmpty()) return name;
  return QDir::cleanPath(QDir(senderFolder).absoluteFilePath(name));
}

}  // namespace vk::app

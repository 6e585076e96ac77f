// CheckOut: every entry of the archive extracted into a folder, and a program group built
// for the files: on this desktop a folder of launchers (".desktop" files) below the
// applications folder, which the menus show. What it made is noted so that the offer to
// delete it later deletes nothing else.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace vk::app {

// The archive's name without its extension; a double extension whose first part is ".tar"
// or ".7z" goes whole ("a.tar.gz" and "a.7z.001" give "a").
QString CheckOutGroupName(const QString& archive);
// `baseFolder` + the group name when a base is set, else the archive's folder + the group.
QString CheckOutDefaultFolder(const QString& archive, const QString& baseFolder);

// The desktop's folder of launchers: $XDG_DATA_HOME/applications, by default
// ~/.local/share/applications.
QString ApplicationsFolder();
// The group's folder in it; empty when `group` is not one plain name.
QString GroupFolder(const QString& group);

// What a command made below a folder.
struct TMadeTree {
  QString Root;  // absolute
  bool RootExisted = false;
  QStringList Files;    // made below Root
  QStringList Folders;  // made below Root, outer ones first
  bool Empty() const {
    return Root.isEmpty() || (RootExisted && Files.isEmpty() && Folders.isEmpty());
  }
};

// Before `relativeFiles` are written below `root`: whether the root exists, and which of the
// files and of their folders do not exist yet. Names that would leave the root are ignored.
TMadeTree PlanTree(const QString& root, const QStringList& relativeFiles);
// Afterwards: only what exists now stays noted.
void SettleTree(TMadeTree& tree);

// Whether a folder may be deleted whole: an absolute path that is neither "/", the home
// folder, the applications folder, nor a folder holding one of them.
bool IsDeletableFolder(const QString& folder);
// Deletes what the tree notes: the root whole when it was made (and IsDeletableFolder
// agrees), else only the files and then the folders that were made, when they are empty.
// Links are removed, never followed. Gives the paths that stay.
QStringList RemoveMadeTree(const TMadeTree& tree);

using TFileTest = std::function<bool(const QString& file)>;
// "Programs and documents only": a program (a file one may execute), or a file of a type the
// desktop opens with a program of its own. The desktop is asked once per type.
TFileTest DesktopProgramTest();

// Looks at the first `limit` of `relativeFiles` (checked out below `root`): the limit counts
// the files looked at, not the launchers made. Each that exists gets a launcher in
// `groupFolder`, below the file's own folder path; with `programsOnly` only those that
// `qualifies` accepts. A launcher that exists already is left as it is. Gives what was made.
TMadeTree MakeLaunchers(const QString& groupFolder, const QString& root,
                        const QStringList& relativeFiles, int limit, bool programsOnly,
                        const TFileTest& qualifies);

// A launcher that starts `file` when it is a program, else opens it with the desktop's
// program for its type.
QString LauncherText(const QString& file, bool program);

}  // namespace vk::app

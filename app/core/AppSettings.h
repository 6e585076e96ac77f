// The program's persistent options: one object for the whole run, kept in Settings.ini.
//
// Every key has two defaults. The object default (the initialisers below) is what a first run
// uses and writes at its end; the read default (in AppSettings.cpp) is what Load takes when an
// existing file lacks the key or holds something that is not a number in the key's range.
//
// Saving is read-modify-write: the file is read as it is on disk at that moment, the object's
// keys are set in it and it is written back, so sections written meanwhile by dialogs, and
// whatever the program does not know, survive in place and in order.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "app/core/IniFile.h"

namespace vk::app {

// Widths of the main lists' columns (section Columns); 0 hides a column. These are the
// first-run widths and the widths a hidden column gets back when it is shown again.
// First-run widths fit the desktop's usual font: the date and type columns show their text
// whole, the figures need less.
struct TColumnWidths {
  int FileName = 120;
  int DateTime = 150;
  int Packed = 90;
  int Unpacked = 90;
  int Ratio = 100;
  int Attributes = 70;
  int Folder = 100;
  int FileType = 150;
  int CRC = 90;
  // The columns' display order as their indexes, comma-separated ("0,1,2,..."); empty
  // keeps the built-in order.
  QString Order;
};

// The name column is never hidden: a narrower stored width gives the first-run width.
inline constexpr int kMinNameColumnWidth = 20;

// Section Buttons: one key per toolbar button, in toolbar order.
inline constexpr int kToolbarButtonCount = 18;
inline constexpr std::array<const char*, kToolbarButtonCount> kToolbarButtonKeys = {
    "New",     "Open",     "Favorites", "Properties", "Print",     "EMail",
    "Add",     "Extract",  "Delete",    "View",       "VirusScan", "Test",
    "MakeExe", "CheckOut", "Install",   "Split",      "Help",      "Exit"};
// The buttons shown on first run, and by Reset in the buttons dialog.
inline constexpr std::array<bool, kToolbarButtonCount> kDefaultToolbarButtons = {
    true,  true,  false, false, false, false, true,  true,  false,
    false, false, true,  false, false, false, false, false, true};

// The viewer a first run offers. The name is stored as it stands; the program launcher takes
// it (ignoring case, with or without ".exe") as the desktop's own text editor.
inline constexpr char kDefaultViewer[] = "Notepad";

// Texts of the Options menu's Import Settings and Export Settings dialogs. The filter is
// "description|pattern"; the window layer turns it into its toolkit's form.
inline constexpr char kImportSettingsTitle[] = "Import Vorel Settings";
inline constexpr char kExportSettingsTitle[] = "Export Vorel Settings";
inline constexpr char kSettingsExchangeFileName[] = "VorelSettings.cfg";
inline constexpr char kSettingsExchangeFilter[] = "Vorel Settings|*.cfg";

class TAppSettings {
 public:
  // Bound to `file` (Settings.ini): the object defaults, FirstRun set; when the file exists it
  // is loaded and FirstRun cleared.
  explicit TAppSettings(QString file);
  // Saves to the bound file.
  ~TAppSettings();
  TAppSettings(const TAppSettings&) = delete;
  TAppSettings& operator=(const TAppSettings&) = delete;

  // Sets every key from `file` (read defaults for what it lacks) and the favourites, in file
  // order without repeats. A file that cannot be read changes nothing; false then.
  // Two repairs for files that never went through a full save (a crash after an immediate
  // write of Reuse or of a dialog's place): without a Columns section the columns get their
  // first-run widths, and the name column is never narrower than kMinNameColumnWidth.
  bool Load(const QString& file);
  // Writes every key and the favourites into `file`, read-modify-write. AppTempFolder is
  // written empty while it is the system temporary folder, so the file names a folder only
  // when the user chose one. False when the file cannot be written.
  bool Save(const QString& file) const;
  // Main/Reuse alone into the bound file at once, so that a second start sees it.
  bool SaveReuse() const;
  // Import Settings: Load from the chosen file; the settings are no longer first-run ones.
  bool Import(const QString& file);
  // Export Settings: the same Save, into the chosen file.
  bool Export(const QString& file) const { return Save(file); }

  // The bound file, for the dialogs that keep sections of their own in it: ReadFile gives it
  // as it is on disk, UpdateFile changes it in place (read-modify-write) at once.
  const QString& FileName() const { return file_; }
  TIniFile ReadFile() const;
  bool UpdateFile(const std::function<void(TIniFile&)>& change) const;

  // Empty becomes the system temporary folder; a folder that does not exist is made with its
  // parents. Always ends with "/". Done at creation and by Load; the Configuration dialog
  // calls it again after the user edits the folder.
  void NormaliseTempFolder();

  // Favourite folders, compared ignoring case.
  void AddFavorite(const QString& folder);
  bool IsFavorite(const QString& folder) const;
  // The recent-archives list is never filled; Clear History still empties it.
  void ClearHistory() { History.clear(); }

  bool FirstRun = true;
  bool BackgroundMode = false;  // for this run only, never saved
  QStringList Favorites;
  QStringList History;

  // Section Main.
  int WindowState = 0;  // 0 normal, 1 minimised, 2 maximised
  int Width = 0;        // the geometry of the normal state; 0 x 0 means never stored
  int Height = 0;
  int Left = 0;
  int Top = 0;
  bool ShowMessages = false;
  bool ShowToolbar = false;
  bool ShowToolbarCaptions = false;
  bool ShowStatusPanel = false;
  bool ShowGridLines = false;
  QString AppCurrentDir;  // first run: the program's folder
  bool FullRowSelect = false;
  bool FlatScrollbars = false;
  bool FlatToolButtons = false;
  int StartUpType = 1;  // 0 program folder, 1 last archive's folder, 2 AppStartUpFolder
  int AddType = 0;      // 0 archive's folder, 1 last add folder, 2 AppAddFolder
  int ExtractType = 1;  // 0 archive's folder, 1 plus a folder named after it, 2 last, 3 fixed
  QString AppTempFolder;
  QString AppStartUpFolder;
  QString AppAddFolder;
  QString AppExtractFolder;
  QString LastExtractFolder;
  QString LastAddFolder;
  bool ShellAddToArc = true;
  bool ShellAddToFileName = true;
  bool ShellExtractTo = true;
  bool ShellExtractHere = true;
  bool ShellExtractToFolder = true;
  bool ShellEMailArc = true;
  bool ShellConvertArc = true;
  bool ShellCreateSFX = true;
  bool ShellOpenWith = true;
  bool ShellTest = true;
  QString AppLanguageFile;  // file name in the Languages folder
  int FavoriteOptions = 2;  // after an open: 0 add to favourites, 1 ask, 2 nothing
  int DefType = 3;          // 0 Super Fast, 1 Fast, 2 Normal, 3 Maximal
  int DefArcType = 6;       // 0 7-ZIP, 1 BH, 2 BGA, 3 CAB, 4 JAR, 5 LZH, 6 ZIP, 7 YZ1
  int DefCabMethod = 1;     // 0 Store, 1 MsZip, 2 Lzx, 3 Quantum
  int DefLhaMethod = 2;     // 0 Store, 1 Frozen5, 2 Frozen6
  int DefZipMethod = 1;     // 0 Store, 1 Deflate, 2 Bz2
  int DefJarMethod = 1;     // 0 Store, 1 Deflate
  int DefBhMethod = 0;      // 0 Deflate, 1 Fuse
  int Def7ZipMethod = 0;    // 0 LZMA, 1 LZMA2, 2 PPMD
  int DefBgaMethod = 0;     // 0 BZA, 1 GZA
  int ViewStyle = 3;        // 0 icons, 1 small icons, 2 list, 3 details
  bool ShowComments = true;
  bool ColoredItems = true;
  bool ExplorerView = true;
  bool ViewExplorerTree = true;
  int SplitterPos = 225;
  QString VirusScanner;
  QString VSParams;  // "%f" stands for the archive
  QString DefViewer = kDefaultViewer;
  bool ShowToolTips = true;
  bool MinToTray = false;
  bool Reuse = false;
  QString Skin;
  bool CascadeMenus = true;
  bool ShowShellMenuIcons = true;
  bool ShowCompressMenusForArchives = false;
  QString CheckOutBaseFolder;
  // The address Check for Update asks ("<site>/download/update.ini"); empty, the default,
  // contacts nothing.
  QString UpdateSite;
  bool AlwaysOnTop = false;
  bool IncludeFolderInfo = true;
  bool SolidArchive = false;
  bool DCExtract = false;
  int DCExtractFolderType = 1;  // 0 never, 1 unless the archive holds one entry, 2 always
  bool DCOpenAfterExtract = false;
  bool AutoTar = true;
  bool VTEulaAccepted = false;
  int Threads = 0;  // threads that compress and decode: 0 one per core, else 1 to kMaxThreads
  static constexpr int kMaxThreads = 16;

  TColumnWidths Columns;
  std::array<bool, kToolbarButtonCount> Buttons = kDefaultToolbarButtons;
  int LastConvertOutputType = 0;  // section frmConvert

 private:
  QString file_;
};

// The settings object of the process: made on the first call, which comes after the
// application object exists (the program's folder is asked of it) and before the main window;
// bound to SettingsFilePath() and saved when the program ends, however it ends normally.
TAppSettings& AppSettings();
// Makes AppSettings() answer `settings` instead, until called with nullptr; tests use
// objects of their own, bound to files of their own.
void UseAppSettings(TAppSettings* settings);

}  // namespace vk::app

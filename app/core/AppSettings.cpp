#include "app/core/AppSettings.h"

#include <QDir>
#include <QFileInfo>

#include "app/core/AppPaths.h"
#include "app/core/IniFields.h"
#include "engine/base/FileSystem.h"

namespace vk::app {
namespace {

constexpr char kMain[] = "Main";
constexpr char kColumns[] = "Columns";
constexpr char kFavorites[] = "Favorites";

// Every key of the object, in the order a new file gets them, with its read default and,
// for numbers that pick from a list or give a size, the range Load accepts.
template <class Settings, class Io>
void VisitKeys(Settings& s, const Io& io) {
  const char* m = kMain;
  io.Int(m, "WindowState", s.WindowState, 0, 0, 2);
  io.Int(m, "Width", s.Width, 0);
  io.Int(m, "Height", s.Height, 0);
  io.Int(m, "Left", s.Left, 0);
  io.Int(m, "Top", s.Top, 0);
  io.Bool(m, "ShowMessages", s.ShowMessages, false);
  io.Bool(m, "ShowToolbar", s.ShowToolbar, false);
  io.Bool(m, "ShowToolbarCaptions", s.ShowToolbarCaptions, false);
  io.Bool(m, "ShowStatusPanel", s.ShowStatusPanel, false);
  io.Bool(m, "ShowGridLines", s.ShowGridLines, false);
  io.String(m, "AppCurrentDir", s.AppCurrentDir, {});
  io.Bool(m, "FullRowSelect", s.FullRowSelect, false);
  io.Bool(m, "FlatScrollbars", s.FlatScrollbars, false);
  io.Bool(m, "FlatToolButtons", s.FlatToolButtons, false);
  io.Int(m, "StartUpType", s.StartUpType, 0, 0, 2);
  io.Int(m, "AddType", s.AddType, 0, 0, 2);
  io.Int(m, "ExtractType", s.ExtractType, 0, 0, 3);
  io.String(m, "AppTempFolder", s.AppTempFolder, {});
  io.String(m, "AppStartUpFolder", s.AppStartUpFolder, {});
  io.String(m, "AppAddFolder", s.AppAddFolder, {});
  io.String(m, "AppExtractFolder", s.AppExtractFolder, {});
  io.String(m, "LastExtractFolder", s.LastExtractFolder, {});
  io.String(m, "LastAddFolder", s.LastAddFolder, {});
  io.Bool(m, "ShellAddToArc", s.ShellAddToArc, false);
  io.Bool(m, "ShellAddToFileName", s.ShellAddToFileName, false);
  io.Bool(m, "ShellExtractTo", s.ShellExtractTo, false);
  io.Bool(m, "ShellExtractHere", s.ShellExtractHere, false);
  io.Bool(m, "ShellExtractToFolder", s.ShellExtractToFolder, false);
  io.Bool(m, "ShellEMailArc", s.ShellEMailArc, false);
  io.Bool(m, "ShellConvertArc", s.ShellConvertArc, false);
  io.Bool(m, "ShellCreateSFX", s.ShellCreateSFX, false);
  io.Bool(m, "ShellOpenWith", s.ShellOpenWith, false);
  io.Bool(m, "ShellTest", s.ShellTest, false);
  io.String(m, "AppLanguageFile", s.AppLanguageFile, {});
  io.Int(m, "FavoriteOptions", s.FavoriteOptions, 0, 0, 2);
  io.Int(m, "DefType", s.DefType, 0, 0, 3);
  io.Int(m, "Threads", s.Threads, 0, 0, TAppSettings::kMaxThreads);
  io.Int(m, "DefArcType", s.DefArcType, 0, 0, 7);
  io.Int(m, "DefCabMethod", s.DefCabMethod, 0, 0, 3);
  io.Int(m, "DefLhaMethod", s.DefLhaMethod, 0, 0, 2);
  io.Int(m, "DefZipMethod", s.DefZipMethod, 0, 0, 2);
  io.Int(m, "DefJarMethod", s.DefJarMethod, 0, 0, 1);
  io.Int(m, "DefBhMethod", s.DefBhMethod, 0, 0, 1);
  io.Int(m, "Def7ZipMethod", s.Def7ZipMethod, 0, 0, 2);
  io.Int(m, "DefBgaMethod", s.DefBgaMethod, 0, 0, 1);
  io.Int(m, "ViewStyle", s.ViewStyle, 0, 0, 3);
  io.Bool(m, "ShowComments", s.ShowComments, false);
  io.Bool(m, "ColoredItems", s.ColoredItems, false);
  io.Bool(m, "ExplorerView", s.ExplorerView, false);
  io.Bool(m, "ViewExplorerTree", s.ViewExplorerTree, false);
  io.Int(m, "SplitterPos", s.SplitterPos, 0, 0, 0xFFFF);
  io.String(m, "VirusScanner", s.VirusScanner, {});
  io.String(m, "VSParams", s.VSParams, {});
  io.String(m, "DefViewer", s.DefViewer, {});
  io.Bool(m, "ShowToolTips", s.ShowToolTips, false);
  io.Bool(m, "MinToTray", s.MinToTray, false);
  io.Bool(m, "Reuse", s.Reuse, false);
  io.String(m, "Skin", s.Skin, {});
  io.Bool(m, "CascadeMenus", s.CascadeMenus, false);
  io.Bool(m, "ShowShellMenuIcons", s.ShowShellMenuIcons, false);
  io.Bool(m, "ShowCompressMenusForArchives", s.ShowCompressMenusForArchives, false);
  io.String(m, "CheckOutBaseFolder", s.CheckOutBaseFolder, {});
  io.String(m, "UpdateSite", s.UpdateSite, {});
  io.Bool(m, "AlwaysOnTop", s.AlwaysOnTop, false);
  io.Bool(m, "IncludeFolderInfo", s.IncludeFolderInfo, true);
  io.Bool(m, "SolidArchive", s.SolidArchive, false);
  io.Bool(m, "DCExtract", s.DCExtract, false);
  io.Int(m, "DCExtractFolderType", s.DCExtractFolderType, 1, 0, 2);
  io.Bool(m, "DCOpenAfterExtract", s.DCOpenAfterExtract, false);
  io.Bool(m, "AutoTar", s.AutoTar, true);
  io.Bool(m, "VTEulaAccepted", s.VTEulaAccepted, false);

  // Column widths are 16-bit; 0 hides the column.
  const char* c = kColumns;
  io.Int(c, "FileName", s.Columns.FileName, 0, 0, 0xFFFF);
  io.Int(c, "DateTime", s.Columns.DateTime, 0, 0, 0xFFFF);
  io.Int(c, "Packed", s.Columns.Packed, 0, 0, 0xFFFF);
  io.Int(c, "Unpacked", s.Columns.Unpacked, 0, 0, 0xFFFF);
  io.Int(c, "Ratio", s.Columns.Ratio, 0, 0, 0xFFFF);
  io.Int(c, "Attributes", s.Columns.Attributes, 0, 0, 0xFFFF);
  io.Int(c, "Folder", s.Columns.Folder, 0, 0, 0xFFFF);
  io.Int(c, "FileType", s.Columns.FileType, 0, 0, 0xFFFF);
  io.Int(c, "CRC", s.Columns.CRC, 0, 0, 0xFFFF);
  io.String(c, "Order", s.Columns.Order, {});

  for (int i = 0; i < kToolbarButtonCount; ++i)
    io.Bool("Buttons", kToolbarButtonKeys[i], s.Buttons[i], true);

  // Any conversion row's order: the dialog falls back to the first row for one it lacks.
  io.Int("frmConvert", "LastConvertOutputType", s.LastConvertOutputType, 0, 0, 0xFF);
}

QString WithSlash(const QString& folder) { return folder.endsWith('/') ? folder : folder + '/'; }

// The engine's per-user private folder below the system temporary folder: the system
// folder itself is shared, and other programs' (and users') files are there.
QString SystemTempFolder() { return QString::fromStdString(qel::SystemTempFolder()); }

// Both stand for the default: the shared folder is never used itself.
bool IsSystemTempFolder(const QString& folder) {
  const QString clean = QDir::cleanPath(folder);
  return clean == QDir::cleanPath(QDir::tempPath()) || clean == QDir::cleanPath(SystemTempFolder());
}

bool UpdateIniFile(const QString& file, const std::function<void(TIniFile&)>& change) {
  TIniFile ini;
  ini.Load(file);  // a file that is not there yet starts empty
  change(ini);
  return ini.Save(file);
}

TAppSettings*& Override() {
  static TAppSettings* settings = nullptr;
  return settings;
}

}  // namespace

TAppSettings::TAppSettings(QString file) : file_(std::move(file)) {
  AppCurrentDir = ProgramFolder();
  if (QFileInfo::exists(file_) && Load(file_))
    FirstRun = false;
  else
    NormaliseTempFolder();
}

TAppSettings::~TAppSettings() { Save(file_); }

bool TAppSettings::Load(const QString& file) {
  TIniFile ini;
  if (!ini.Load(file)) return false;
  VisitKeys(*this, TIniFieldReader(ini));
  if (!ini.HasSection(kColumns)) Columns = TColumnWidths{};
  if (Columns.FileName < kMinNameColumnWidth) Columns.FileName = TColumnWidths{}.FileName;
  // An empty viewer means the default one, as the Configuration dialog stores it.
  if (DefViewer.isEmpty()) DefViewer = kDefaultViewer;
  Favorites.clear();
  for (const QString& key : ini.Keys(kFavorites)) AddFavorite(ini.ReadString(kFavorites, key, {}));
  NormaliseTempFolder();
  return true;
}

bool TAppSettings::Save(const QString& file) const {
  return UpdateIniFile(file, [this](TIniFile& ini) {
    VisitKeys(*this, TIniFieldWriter(ini));
    if (IsSystemTempFolder(AppTempFolder)) ini.WriteString(kMain, "AppTempFolder", {});
    // The old list goes first: keys beyond the new list's length would bring removed
    // folders back at the next start.
    for (const QString& key : ini.Keys(kFavorites)) ini.DeleteKey(kFavorites, key);
    for (qsizetype i = 0; i < Favorites.size(); ++i)
      ini.WriteString(kFavorites, QString::number(i), Favorites[i]);
  });
}

bool TAppSettings::SaveReuse() const {
  return UpdateFile([this](TIniFile& ini) { ini.WriteBool(kMain, "Reuse", Reuse); });
}

bool TAppSettings::Import(const QString& file) {
  if (!Load(file)) return false;
  FirstRun = false;
  return true;
}

TIniFile TAppSettings::ReadFile() const {
  TIniFile ini;
  ini.Load(file_);
  return ini;
}

bool TAppSettings::UpdateFile(const std::function<void(TIniFile&)>& change) const {
  return UpdateIniFile(file_, change);
}

void TAppSettings::NormaliseTempFolder() {
  if (AppTempFolder.isEmpty() || IsSystemTempFolder(AppTempFolder)) {
    AppTempFolder = SystemTempFolder();
    return;
  }
  QDir().mkpath(AppTempFolder);
  AppTempFolder = WithSlash(AppTempFolder);
}

void TAppSettings::AddFavorite(const QString& folder) {
  if (!folder.isEmpty() && !IsFavorite(folder)) Favorites << folder;
}

bool TAppSettings::IsFavorite(const QString& folder) const {
  return Favorites.contains(folder, Qt::CaseInsensitive);
}

TAppSettings& AppSettings() {
  if (TAppSettings* settings = Override()) return *settings;
  static TAppSettings settings(SettingsFilePath());
  return settings;
}

void UseAppSettings(TAppSettings* settings) { Override() = settings; }

}  // namespace vk::app

#include "app/gui/OptionsDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>
#include <functional>
#include <iterator>

#include "app/core/Translation.h"
#include "app/core/VirusScannerPresets.h"
#include "app/gui/ExtractOptionsDialog.h"
#include "app/gui/MessageBox.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

using S = app::TAppSettings;
using W = app::TColumnWidths;

// Check boxes that show a key of the settings as it stands.
struct TBoolKey {
  const char* control;
  bool S::*key;
};
constexpr TBoolKey kBoolKeys[] = {
    {"chbShowAcMsgs", &S::ShowMessages},
    {"chbColoredItems", &S::ColoredItems},
    {"chbAddToArc", &S::ShellAddToArc},
    {"chbAddToFileName", &S::ShellAddToFileName},
    {"chbExtractTo", &S::ShellExtractTo},
    {"chbExtractHere", &S::ShellExtractHere},
    {"chbExtractToFolder", &S::ShellExtractToFolder},
    {"chbEMailArc", &S::ShellEMailArc},
    {"chbConvertArc", &S::ShellConvertArc},
    {"chbCreateSFX", &S::ShellCreateSFX},
    {"chbOpenWith", &S::ShellOpenWith},
    {"chbTest", &S::ShellTest},
    {"chbUseCascadeMenus", &S::CascadeMenus},
    {"chbShowShellMenuIcons", &S::ShowShellMenuIcons},
    {"chbCompressArchives", &S::ShowCompressMenusForArchives},
    {"chbIncludeFolderInfo", &S::IncludeFolderInfo},
    {"chbDCExtract", &S::DCExtract},
    {"chbSolid", &S::SolidArchive},
};

// Check boxes that show the window's look; OK sets the look and stores it in the key too.
struct TViewBox {
  const char* control;
  bool TOptionsView::*field;
  bool S::*key;
};
constexpr TViewBox kViewBoxes[] = {
    {"chbShowToolbar", &TOptionsView::ToolbarVisible, &S::ShowToolbar},
    {"chbShowToolBarCaptions", &TOptionsView::ToolbarCaptions, &S::ShowToolbarCaptions},
    {"chbShowTooltips", &TOptionsView::ToolTips, &S::ShowToolTips},
    {"chbFlatToolButtons", &TOptionsView::FlatToolButtons, &S::FlatToolButtons},
    {"chbShowGridLines", &TOptionsView::GridLines, &S::ShowGridLines},
    {"chbFullRowSelect", &TOptionsView::FullRowSelect, &S::FullRowSelect},
    {"chbFlatScrollbars", &TOptionsView::FlatScrollbars, &S::FlatScrollbars},
    {"chbShowStatusBar", &TOptionsView::StatusBarVisible, &S::ShowStatusPanel},
};

// The column check boxes; the name column has one too, but it is never hidden.
struct TColumnBox {
  const char* control;
  const char* caption;
  int W::*width;
};
constexpr TColumnBox kColumnBoxes[] = {
    {"chbDateTime", "Modified", &W::DateTime},    {"chbFileType", "File Type", &W::FileType},
    {"chbUnpacked", "Size", &W::Unpacked},        {"chbRatio", "Ratio", &W::Ratio},
    {"chbPacked", "Packed", &W::Packed},          {"chbCrc", "CRC", &W::CRC},
    {"chbAttribs", "Attributes", &W::Attributes}, {"chbFolder", "Folder", &W::Folder},
};

struct TTextKey {
  const char* control;
  QString S::*key;
};
constexpr TTextKey kTextKeys[] = {
    {"edTempFolder", &S::AppTempFolder},
    {"edStartUpFolder", &S::AppStartUpFolder},
    {"edAddFolder", &S::AppAddFolder},
    {"edExtractFolder", &S::AppExtractFolder},
    {"edCheckOutBase", &S::CheckOutBaseFolder},
    {"edViewer", &S::DefViewer},
    {"edParams", &S::VSParams},
    {"edUpdateSite", &S::UpdateSite},
};

// Combo boxes whose position is the key's value.
struct TIndexKey {
  const char* control;
  int S::*key;
};
constexpr TIndexKey kIndexKeys[] = {
    {"cbDefArcType", &S::DefArcType},     {"cbDefCompression", &S::DefType},
    {"cbZipDefMethod", &S::DefZipMethod}, {"cbCabDefMethod", &S::DefCabMethod},
    {"cbBhDefMethod", &S::DefBhMethod},   {"cbLhaDefMethod", &S::DefLhaMethod},
    {"cbJarDefMethod", &S::DefJarMethod}, {"cb7ZipDefMethod", &S::Def7ZipMethod},
    {"cbBgaDefMethod", &S::DefBgaMethod}, {"cbThreads", &S::Threads},
};

// The radio groups, with the choice a value outside the group's range shows.
struct TRadioKey {
  const char* group;
  int S::*key;
  int usual;
};
constexpr TRadioKey kRadioKeys[] = {
    {"gbStartUpFolder", &S::StartUpType, 1},
    {"gbAddFolder", &S::AddType, 1},
    {"gbExtractFolder", &S::ExtractType, 2},
};

// By DefArcType: the type's method box and extension.
enum { atSevenZip, atBh, atBga, atCab, atJar, atLzh, atZip, atYz1 };
struct TArcType {
  const char* name;
  const char* methodBox;
  const char* extension;
  QStringList methods;
};
const TArcType kArcTypes[] = {
    {"7-ZIP", "cb7ZipDefMethod", ".7z", {"LZMA", "LZMA2", "PPMd"}},
    {"BH", "cbBhDefMethod", ".bh", {"Deflate", "Fuse"}},
    {"BGA", "cbBgaDefMethod", ".bga", {"BZA", "GZA"}},
    {"CAB", "cbCabDefMethod", ".cab", {"Store", "MsZip", "Lzx", "Quantum"}},
    {"JAR", "cbJarDefMethod", ".jar", {"Store", "Deflate"}},
    {"LZH", "cbLhaDefMethod", ".lzh", {"Store", "Frozen5", "Frozen6"}},
    {"ZIP", "cbZipDefMethod", ".zip", {"Store", "Deflate", "Bzip2"}},
    {"YZ1", "cbYz1DefMethod", ".yz1", {"YZ1"}},
};

// The view as the settings hold it, for a dialog without a window to configure.
TOptionsView ViewOf(const S& s) {
  TOptionsView view;
  for (const TViewBox& box : kViewBoxes) view.*box.field = s.*box.key;
  view.Columns = s.Columns;
  return view;
}

QCheckBox* AddCheckBox(const char* name, const QString& text, QWidget* parent) {
  auto* box = Named(new QCheckBox(text, parent), name);
  if (parent->layout()) parent->layout()->addWidget(box);
  return box;
}

QComboBox* AddComboBox(const char* name, const QStringList& items, QWidget* parent) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->addItems(items);
  return combo;
}

QLineEdit* AddLineEdit(const char* name, QWidget* parent) {
  return Named(new QLineEdit(parent), name);
}

QLabel* Label(const char* name, const QString& text, QWidget* buddy) {
  auto* label = Named(new QLabel(text), name);
  label->setBuddy(buddy);
  return label;
}

// A field with a browse button beside it, named after the field: edViewer, bnViewer.
QWidget* BrowseRow(QWidget* field, const std::function<void()>& browse) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(field, 1);
  auto* button = new QToolButton;
  button->setObjectName("bn" + field->objectName().mid(2));
  button->setText("...");
  QObject::connect(button, &QToolButton::clicked, field, browse);
  layout->addWidget(button);
  return row;
}

}  // namespace

TfrmOptions::TfrmOptions(IOptionsTarget* target, int page, QWidget* parent)
    : QDialog(parent), target_(target) {
  setObjectName("frmOptions");
  setWindowTitle(tr("Configuration"));
  pages_ = Named(new QTabWidget(this), "pcOptions");
  pages_->addTab(CreateViewPage(), tr("View"));
  pages_->addTab(CreateToolbarPage(), tr("Toolbar"));
  pages_->addTab(CreateFoldersPage(), tr("Folders"));
  pages_->addTab(CreateFileAssociationsPage(), tr("File Associations"));
  pages_->addTab(CreateExplorerPage(), tr("Explorer Enhancements"));
  pages_->addTab(CreateProgramsPage(), tr("Program Locations"));
  for (int i = 0; i < kPageCount; ++i) pages_->setTabVisible(i, PageShown(i));
  pages_->setCurrentIndex(page >= 0 && page < kPageCount && PageShown(page) ? page : pgView);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setObjectName("bnOK");
  buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole)->setObjectName("bnCancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &TfrmOptions::OkClicked);
  connect(buttons, &QDialogButtonBox::rejected, this, &TfrmOptions::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(buttons);
  Load();
}

bool TfrmOptions::PageShown(int page) {
  return page != pgFileAssociations && page != pgExplorerEnhancements;
}

QWidget* TfrmOptions::FolderField(QLineEdit* edit, QWidget* parent) {
  QWidget* row = BrowseRow(edit, [this, edit] {
    const QString folder = QFileDialog::getExistingDirectory(this, {}, edit->text());
    if (!folder.isEmpty()) edit->setText(QDir::toNativeSeparators(folder));
  });
  row->setParent(parent);
  return row;
}

QWidget* TfrmOptions::FileField(QWidget* field, QWidget* parent) {
  auto* edit = qobject_cast<QLineEdit*>(field);
  auto* combo = qobject_cast<QComboBox*>(field);
  QWidget* row = BrowseRow(field, [this, edit, combo] {
    const QString file =
        QFileDialog::getOpenFileName(this, {}, edit ? edit->text() : combo->currentText());
    if (file.isEmpty()) return;
    if (edit) edit->setText(QDir::toNativeSeparators(file));
    if (combo) combo->setEditText(QDir::toNativeSeparators(file));
  });
  row->setParent(parent);
  return row;
}

void TfrmOptions::AddRadioGroup(QWidget* group, const std::vector<const char*>& names,
                                const QStringList& captions, QLineEdit* folder) {
  auto* buttons = new QButtonGroup(group);
  auto* layout = new QVBoxLayout(group);
  for (int i = 0; i < int(names.size()); ++i) {
    auto* button = Named(new QRadioButton(captions[i], group), names[size_t(i)]);
    buttons->addButton(button, i);
    layout->addWidget(button);
  }
  // The last choice is "this folder", named in the field below it.
  layout->addWidget(FolderField(folder, group));
}

QWidget* TfrmOptions::CreateViewPage() {
  auto* page = Named(new QWidget, "tsView");
  auto* general = new QWidget(page);
  auto* generalLayout = new QVBoxLayout(general);
  generalLayout->setContentsMargins(0, 0, 0, 0);
  AddCheckBox("chbShowAcMsgs", tr("Show action messages"), general);
  AddCheckBox("chbShowGridLines", tr("Show grid lines"), general);
  AddCheckBox("chbFullRowSelect", tr("Full row select"), general);
  AddCheckBox("chbFlatScrollbars", tr("Flat scroll bars"), general);
  AddCheckBox("chbShowStatusBar", tr("Show status bar"), general);
  AddCheckBox("chbColoredItems", tr("Colour readme and setup files"), general);
  generalLayout->addStretch(1);

  auto* columns = Named(new QGroupBox(tr("Columns"), page), "gbColumns");
  auto* columnsLayout = new QVBoxLayout(columns);
  QCheckBox* name = AddCheckBox("chbFileName", tr("File Name"), columns);
  name->setChecked(true);
  name->setEnabled(false);
  for (const TColumnBox& box : kColumnBoxes) AddCheckBox(box.control, tr(box.caption), columns);
  columnsLayout->addStretch(1);

  auto* archives = Named(new QGroupBox(tr("New archives"), page), "gbNewArchives");
  auto* grid = new QGridLayout(archives);
  QStringList typeNames;
  for (const TArcType& type : kArcTypes) typeNames << type.name;
  QComboBox* type = AddComboBox("cbDefArcType", typeNames, archives);
  QComboBox* level = AddComboBox(
      "cbDefCompression", {tr("Super Fast"), tr("Fast"), tr("Normal"), tr("Maximal")}, archives);
  methods_ = Named(new QStackedWidget(archives), "nbMethods");
  // As high as the box it shows: a stack gives its page all the room it has.
  methods_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  for (const TArcType& arc : kArcTypes)
    methods_->addWidget(AddComboBox(arc.methodBox, arc.methods, methods_));
  grid->addWidget(Label("lbDefArcType", tr("Type:"), type), 0, 0);
  grid->addWidget(type, 0, 1);
  grid->addWidget(Label("lbDefCompression", tr("Compression:"), level), 1, 0);
  grid->addWidget(level, 1, 1);
  grid->addWidget(Label("lbDefMethod", tr("Method:"), methods_), 2, 0);
  grid->addWidget(methods_, 2, 1);
  grid->addWidget(Named(new QCheckBox(tr("Solid Archive"), archives), "chbSolid"), 3, 0, 1, 2);
  grid->addWidget(
      Named(new QCheckBox(tr("Store folder information"), archives), "chbIncludeFolderInfo"), 4, 0,
      1, 2);
  QStringList threadChoices{tr("One per core")};
  for (int n = 1; n <= S::kMaxThreads; ++n) threadChoices << QString::number(n);
  QComboBox* threads = AddComboBox("cbThreads", threadChoices, archives);
  grid->addWidget(Label("lbThreads", tr("Threads:"), threads), 5, 0);
  grid->addWidget(threads, 5, 1);
  connect(type, &QComboBox::currentIndexChanged, this, &TfrmOptions::ArcTypeChanged);

  auto* opening = Named(new QGroupBox(tr("Archives given to the program"), page), "gbDCExtract");
  auto* openingLayout = new QHBoxLayout(opening);
  QCheckBox* extract =
      AddCheckBox("chbDCExtract", tr("Extract them instead of opening them"), opening);
  auto* more = Named(new QPushButton(tr("More Options"), opening), "bnMoreOptions");
  openingLayout->addWidget(more);
  connect(extract, &QCheckBox::toggled, more, &QPushButton::setEnabled);
  connect(more, &QPushButton::clicked, this, [this] { TfrmExtractOptions(this).exec(); });

  auto* layout = new QGridLayout(page);
  layout->addWidget(general, 0, 0);
  layout->addWidget(columns, 0, 1, 2, 1);
  layout->addWidget(archives, 1, 0);
  layout->addWidget(opening, 2, 0, 1, 2);
  layout->setRowStretch(3, 1);  // room to spare goes below, not between the groups
  return page;
}

QWidget* TfrmOptions::CreateToolbarPage() {
  auto* page = Named(new QWidget, "tsToolbar");
  auto* layout = new QVBoxLayout(page);
  AddCheckBox("chbShowToolbar", tr("Show toolbar"), page);
  AddCheckBox("chbShowToolBarCaptions", tr("Show button captions"), page);
  AddCheckBox("chbShowTooltips", tr("Show tooltips"), page);
  AddCheckBox("chbFlatToolButtons", tr("Flat buttons"), page);
  auto* select = Named(new QPushButton(tr("Select Buttons"), page), "bnSelectButtons");
  connect(select, &QPushButton::clicked, this, &TfrmOptions::SelectButtons);
  layout->addWidget(select, 0, Qt::AlignLeft);
  QLineEdit* skin = AddLineEdit("edSkin", page);
  layout->addWidget(Label("lbSkin", tr("Skin:"), skin));
  layout->addWidget(FileField(skin, page));
  skinPreview_ = Named(new QLabel(page), "imgSkin");
  skinPreview_->setMinimumHeight(40);
  layout->addWidget(skinPreview_);
  layout->addStretch(1);
  connect(skin, &QLineEdit::textChanged, this, &TfrmOptions::ShowSkinPreview);
  return page;
}

QWidget* TfrmOptions::CreateFoldersPage() {
  auto* page = Named(new QWidget, "tsFolders");
  auto* layout = new QVBoxLayout(page);
  QLineEdit* temp = AddLineEdit("edTempFolder", page);
  layout->addWidget(Label("lbTempFolder", tr("Temporary folder:"), temp));
  layout->addWidget(FolderField(temp, page));

  auto* startUp = Named(new QGroupBox(tr("Start-up folder"), page), "gbStartUpFolder");
  AddRadioGroup(startUp, {"rbSFSystemDef", "rbSFLastOpen", "rbSFFolder"},
                {tr("Program folder"), tr("Folder of the last opened archive"), tr("This folder:")},
                AddLineEdit("edStartUpFolder", startUp));
  auto* addFrom = Named(new QGroupBox(tr("Add files from"), page), "gbAddFolder");
  AddRadioGroup(
      addFrom, {"rbAFOpenArc", "rbAFLastAdd", "rbAFFolder"},
      {tr("Folder of the open archive"), tr("Last folder added from"), tr("This folder:")},
      AddLineEdit("edAddFolder", addFrom));
  auto* extractTo = Named(new QGroupBox(tr("Extract to"), page), "gbExtractFolder");
  AddRadioGroup(
      extractTo, {"rbEFOpenArc", "rbEFOpenArcName", "rbEFLastExtract", "rbEFFolder"},
      {tr("Folder of the open archive"), tr("A folder named after the archive, beside it"),
       tr("Last folder extracted to"), tr("This folder:")},
      AddLineEdit("edExtractFolder", extractTo));
  for (QWidget* group : {startUp, addFrom, extractTo}) layout->addWidget(group);

  QLineEdit* checkOut = AddLineEdit("edCheckOutBase", page);
  layout->addWidget(Label("lbCheckOutBase", tr("CheckOut base folder:"), checkOut));
  layout->addWidget(FolderField(checkOut, page));
  layout->addStretch(1);
  return page;
}

QWidget* TfrmOptions::CreateFileAssociationsPage() {
  // The desktop keeps the file associations; the page holds nothing this edition sets.
  return Named(new QWidget, "tsFileAssociations");
}

QWidget* TfrmOptions::CreateExplorerPage() {
  // The file manager's context menu; kept in the settings for a shell integration.
  auto* page = Named(new QWidget, "tsExplorerEnhancements");
  auto* layout = new QVBoxLayout(page);
  auto* commands = Named(new QGroupBox(tr("Context menu commands"), page), "gbContextMenu");
  new QVBoxLayout(commands);
  AddCheckBox("chbAddToArc", tr("Add to archive..."), commands);
  AddCheckBox("chbAddToFileName", tr("Add to <archive name>.zip"), commands);
  AddCheckBox("chbExtractTo", tr("Extract to..."), commands);
  AddCheckBox("chbExtractHere", tr("Extract here"), commands);
  AddCheckBox("chbExtractToFolder", tr("Extract to <folder name>"), commands);
  AddCheckBox("chbEMailArc", tr("Compress and e-mail"), commands);
  AddCheckBox("chbConvertArc", tr("Convert archive"), commands);
  AddCheckBox("chbCreateSFX", tr("Create self-extracting archive"), commands);
  AddCheckBox("chbOpenWith", tr("Open with Vorelkit"), commands);
  AddCheckBox("chbTest", tr("Test archive"), commands);
  layout->addWidget(commands);
  AddCheckBox("chbUseCascadeMenus", tr("Cascaded context menu"), page);
  AddCheckBox("chbShowShellMenuIcons", tr("Icons on the context menu"), page);
  AddCheckBox("chbCompressArchives", tr("Offer the compression commands for archives too"), page);
  layout->addStretch(1);
  return page;
}

QWidget* TfrmOptions::CreateProgramsPage() {
  auto* page = Named(new QWidget, "tsProgramLocations");
  auto* layout = new QVBoxLayout(page);
  QLineEdit* viewer = AddLineEdit("edViewer", page);
  layout->addWidget(Label("lbViewer", tr("Viewer:"), viewer));
  layout->addWidget(FileField(viewer, page));

  QStringList scanners;
  for (const app::TVirusScannerPreset& preset : app::kVirusScannerPresets)
    scanners << preset.Program;
  QComboBox* scanner = AddComboBox("cbVirusScanner", scanners, page);
  scanner->setEditable(true);
  scanner->setInsertPolicy(QComboBox::NoInsert);
  QLineEdit* params = AddLineEdit("edParams", page);
  // Only a choice from the list brings its parameters; typing a name keeps them.
  connect(scanner, &QComboBox::activated, params, [params](int i) {
    if (i >= 0 && i < int(app::kVirusScannerPresets.size()))
      params->setText(app::kVirusScannerPresets[size_t(i)].Parameters);
  });
  layout->addWidget(Label("lbVirusScanner", tr("Virus scanner:"), scanner));
  layout->addWidget(FileField(scanner, page));
  layout->addWidget(Label("lbParams", tr("Parameters (%f stands for the archive):"), params));
  layout->addWidget(params);
  QLineEdit* site = AddLineEdit("edUpdateSite", page);
  site->setPlaceholderText(tr("none: the update check contacts nothing"));
  layout->addWidget(Label("lbUpdateSite", tr("Update site address:"), site));
  layout->addWidget(site);
  layout->addStretch(1);
  return page;
}

void TfrmOptions::Load() {
  const S& s = app::AppSettings();
  const TOptionsView view = target_ ? target_->CurrentView() : ViewOf(s);
  for (const TBoolKey& box : kBoolKeys) Find<QCheckBox>(box.control)->setChecked(s.*box.key);
  for (const TViewBox& box : kViewBoxes) Find<QCheckBox>(box.control)->setChecked(view.*box.field);
  for (const TColumnBox& box : kColumnBoxes)
    Find<QCheckBox>(box.control)->setChecked(view.Columns.*box.width > 1);
  for (const TTextKey& edit : kTextKeys) Find<QLineEdit>(edit.control)->setText(s.*edit.key);
  for (const TIndexKey& combo : kIndexKeys)
    Find<QComboBox>(combo.control)->setCurrentIndex(s.*combo.key);
  auto* scanner = Find<QComboBox>("cbVirusScanner");
  scanner->setCurrentIndex(-1);
  scanner->setEditText(s.VirusScanner);
  Find<QLineEdit>("edSkin")->setText(s.Skin);
  for (const TRadioKey& radio : kRadioKeys) {
    QButtonGroup* group = RadioGroup(radio.group);
    QAbstractButton* button = group->button(s.*radio.key);
    (button ? button : group->button(radio.usual))->setChecked(true);
  }
  Find<QPushButton>("bnMoreOptions")->setEnabled(s.DCExtract);
  ArcTypeChanged(Find<QComboBox>("cbDefArcType")->currentIndex());
}

QButtonGroup* TfrmOptions::RadioGroup(const char* name) const {
  return Find<QGroupBox>(name)->findChild<QButtonGroup*>();
}

void TfrmOptions::ArcTypeChanged(int type) {
  if (type < 0 || type >= int(std::size(kArcTypes))) return;
  methods_->setCurrentIndex(type);
  Find<QComboBox>("cbDefCompression")->setEnabled(type != atCab && type != atLzh);
  Find<QCheckBox>("chbSolid")->setVisible(type == atSevenZip);
  // The caption names an archive of the default type, in whatever words the language has.
  static const QRegularExpression extension(R"(\.(7z|bh|bga|cab|jar|lzh|zip|yz1)(?![A-Za-z0-9]))",
                                            QRegularExpression::CaseInsensitiveOption);
  auto* addTo = Find<QCheckBox>("chbAddToFileName");
  addTo->setText(addTo->text().replace(extension, kArcTypes[type].extension));
}

void TfrmOptions::ShowSkinPreview() {
  const QString file = Find<QLineEdit>("edSkin")->text();
  QPixmap image;
  if (QFileInfo(file).isFile()) image.load(file);
  const QSize room(360, 60);
  if (image.width() > room.width() || image.height() > room.height())
    image = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  skinPreview_->setPixmap(image);
}

void TfrmOptions::SelectButtons() {
  TFormToolbarButtonsDlg dialog(
      target_ ? target_->ToolbarButtons() : std::vector<TToolbarButtonRow>{}, this);
  if (dialog.exec() == QDialog::Accepted && target_) target_->ApplyButtons();
}

void TfrmOptions::StoreSettings(TOptionsView& view) {
  S& s = app::AppSettings();
  for (const TBoolKey& box : kBoolKeys) s.*box.key = Find<QCheckBox>(box.control)->isChecked();
  for (const TViewBox& box : kViewBoxes)
    s.*box.key = view.*box.field = Find<QCheckBox>(box.control)->isChecked();
  W& widths = view.Columns;
  for (const TColumnBox& box : kColumnBoxes) {
    int& width = widths.*box.width;
    if (!Find<QCheckBox>(box.control)->isChecked())
      width = 0;
    else if (width <= 1)
      width = W{}.*box.width;
  }
  if (widths.FileName < app::kMinNameColumnWidth) widths.FileName = W{}.FileName;
  const QString order = s.Columns.Order;  // the window's business, not the dialog's
  s.Columns = widths;
  s.Columns.Order = order;

  for (const TTextKey& edit : kTextKeys) s.*edit.key = Find<QLineEdit>(edit.control)->text();
  if (s.DefViewer.isEmpty()) s.DefViewer = app::kDefaultViewer;
  s.NormaliseTempFolder();
  s.VirusScanner = Find<QComboBox>("cbVirusScanner")->currentText();
  // A box or group showing no choice leaves its key as it was.
  for (const TIndexKey& combo : kIndexKeys) {
    const int index = Find<QComboBox>(combo.control)->currentIndex();
    if (index >= 0) s.*combo.key = index;
  }
  for (const TRadioKey& radio : kRadioKeys) {
    const int checked = RadioGroup(radio.group)->checkedId();
    if (checked >= 0) s.*radio.key = checked;
  }
}

void TfrmOptions::Apply() {
  S& s = app::AppSettings();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto finish = [this] {
    QApplication::restoreOverrideCursor();
    if (target_) target_->StoreViewState();
  };
  try {
    // The settings first: what the window then fails to take is at least kept.
    TOptionsView view = target_ ? target_->CurrentView() : ViewOf(s);
    StoreSettings(view);
    if (target_) target_->SetView(view);
    // An empty field goes back to the built-in images; a name that is not a file is ignored.
    const QString skin = Find<QLineEdit>("edSkin")->text();
    if (skin.isEmpty() ? !s.Skin.isEmpty() : QFileInfo(skin).isFile())
      if (!target_ || target_->LoadSkin(skin)) s.Skin = skin;
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TfrmOptions::OkClicked() {
  try {
    Apply();
    accept();
  } catch (const std::exception& e) {
    MessageBox(QString::fromUtf8(e.what()), mtError, {mbOK}, 0, this);
  }
}

void TfrmOptions::showEvent(QShowEvent* event) {
  TranslateWindows({this}, app::ActiveLanguageFile());
  const QString solid = app::Translate("frmAdd", "frmAdd.chSolid.Caption");
  if (solid != app::kNoTranslation) Find<QCheckBox>("chbSolid")->setText(solid);
  // A translated caption names the archive with the language's extension again.
  ArcTypeChanged(Find<QComboBox>("cbDefArcType")->currentIndex());
  QDialog::showEvent(event);
}

}  // namespace vk::gui

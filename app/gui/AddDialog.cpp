#include "app/gui/AddDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/core/AppSettings.h"
#include "app/core/DialogSettings.h"
#include "app/core/Translation.h"
#include "app/gui/AddFileBrowser.h"
#include "app/gui/DialogPlace.h"
#include "app/gui/MessageBox.h"
#include "app/gui/PromptDialogs.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

using app::TComponentKind;

// The folder the file list starts in, by AddType; the home folder when that one is gone.
QString StartFolder() {
  const app::TAppSettings& s = app::AppSettings();
  const QString folder = s.AddType == 1   ? s.LastAddFolder
                         : s.AddType == 2 ? s.AppAddFolder
                                          : s.AppCurrentDir;
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

QComboBox* NewCombo(QWidget* parent, const char* name, const QStringList& items = {}) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->addItems(items);
  return combo;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
  auto* label = Named(new QLabel(text, parent), name);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

TfrmAdd::TfrmAdd(app::TArchiveComponents& components, qel::TArcType listerType,
                 const QString& newArchiveName, QWidget* parent)
    : QDialog(parent),
      components_(components),
      listerType_(listerType),
      newArchiveName_(newArchiveName) {
  setObjectName("frmAdd");
  setWindowTitle(tr("Add Files"));
  setMinimumSize(529, 443);
  auto* pages = Named(new QTabWidget(this), "pcAdd");

  auto* selection = Named(new QWidget, "tsSelection");
  browser_ = new TAddFileBrowser(selection);
  (new QVBoxLayout(selection))->addWidget(browser_);
  pages->addTab(selection, tr("Selection"));

  auto* options = Named(new QWidget, "tsOptions");
  compression_ = NewCombo(options, "cbCompression", {"Super Fast", "Fast", "Normal", "Maximal"});
  action_ = NewCombo(options, "cbAction", {"Add", "Refresh", "Move"});
  subFolders_ = Named(new QCheckBox(tr("Include Sub-Folders"), options), "chbIncSubFolders");
  encryption_ = NewCombo(options, "cbEncryption", app::EncryptionChoices());
  password_ = Named(new QPushButton(tr("&Set Password"), options), "bnPassword");
  auto* attributes = Named(new QGroupBox(tr("Attributes"), options), "gbAttributes");
  archive_ = Named(new QCheckBox(tr("Archive"), attributes), "chbArchive");
  readOnly_ = Named(new QCheckBox(tr("Read Only"), attributes), "chbReadOnly");
  hidden_ = Named(new QCheckBox(tr("Hidden"), attributes), "chbHidden");
  sysFile_ = Named(new QCheckBox(tr("System File"), attributes), "chbSysFile");
  directory_ = Named(new QCheckBox(tr("Directory"), attributes), "chbDirectory");
  auto* attributeBoxes = new QGridLayout(attributes);
  const QList<QCheckBox*> boxes = {archive_, readOnly_, hidden_, sysFile_, directory_};
  for (int i = 0; i < boxes.size(); ++i) attributeBoxes->addWidget(boxes[i], i / 2, i % 2);
  type_ = NewCombo(options, "cbArcType");
  method_ = NewCombo(options, "cbMethod");
  storedFolders_ = NewCombo(options, "cbStoredFolders",
                            {"None", "Absolute", "Absolute No Drive", "Absolute No Root",
                             "Relative", "Relative Store Start"});
  dateAttributes_ =
      NewCombo(options, "cbDateAttribs", {"File Date", "System Date", "Max File Date"});
  solid_ = Named(new QCheckBox(tr("Solid Archive"), options), "chSolid");

  auto* grid = new QGridLayout(options);
  const struct {
    const char* name;
    const char* text;
    QWidget* control;
    int row, column;
  } labelled[] = {{"lbCompression", "Compression:", compression_, 0, 0},
                  {"lbAction", "Action:", action_, 1, 0},
                  {"lbEncryption", "Encryption:", encryption_, 2, 0},
                  {"lbArcType", "Archiving Type:", type_, 0, 2},
                  {"lbMethod", "Method:", method_, 1, 2},
                  {"lbStoredFolders", "Stored Folders:", storedFolders_, 2, 2},
                  {"lbDateAttribs", "Date Attributes:", dateAttributes_, 3, 2}};
  for (const auto& l : labelled) {
    grid->addWidget(NewLabel(options, l.name, tr(l.text), l.control), l.row, l.column);
    grid->addWidget(l.control, l.row, l.column + 1);
  }
  grid->addWidget(password_, 3, 1);
  grid->addWidget(subFolders_, 4, 0, 1, 2);
  grid->addWidget(solid_, 4, 2, 1, 2);
  grid->addWidget(attributes, 5, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(6, 1);
  pages->addTab(options, tr("Options"));

  auto* ok = Named(new QPushButton(tr("&OK"), this), "bbOK");
  ok->setDefault(true);
  auto* cancel = Named(new QPushButton(tr("&Cancel"), this), "bbCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages, 1);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &TfrmAdd::accept);
  connect(cancel, &QPushButton::clicked, this, &TfrmAdd::reject);
  connect(type_, &QComboBox::currentIndexChanged, this, &TfrmAdd::ChooseType);
  connect(method_, &QComboBox::currentIndexChanged, this, &TfrmAdd::ChooseMethod);
  connect(encryption_, &QComboBox::currentIndexChanged, this, [this](int index) {
    userEncryption_ = index;
    password_->setEnabled(index > 0);
  });
  connect(password_, &QPushButton::clicked, this, [this] {
    app::AskNewPassword(components_, NewPasswordBoxes(this), PasswordMismatchBox(this));
  });

  browser_->SetFolder(StartFolder());
  app::TAddDialogSettings kept;
  kept.Read(app::AppSettings().ReadFile());
  subFolders_->setChecked(kept.chbIncSubFolders);
  archive_->setChecked(kept.chbArchive);
  readOnly_->setChecked(kept.chbReadOnly);
  hidden_->setChecked(kept.chbHidden);
  sysFile_->setChecked(kept.chbSysFile);
  directory_->setChecked(kept.chbDirectory);
  browser_->SetColumnWidths({kept.Column_1, kept.Column_2, kept.Column_3, kept.Column_4});
  compression_->setCurrentIndex(std::clamp(app::AppSettings().DefType, 0, 3));
  password_->setEnabled(false);
  RestorePlace(this, minimumSize());
  TranslateWindows({this}, app::ActiveLanguageFile());
}

TfrmAdd::~TfrmAdd() {
  app::TAddDialogSettings kept;
  kept.chbIncSubFolders = subFolders_->isChecked();
  kept.chbArchive = archive_->isChecked();
  kept.chbReadOnly = readOnly_->isChecked();
  kept.chbHidden = hidden_->isChecked();
  kept.chbSysFile = sysFile_->isChecked();
  kept.chbDirectory = directory_->isChecked();
  const std::array<int, 4> widths = browser_->ColumnWidths();
  kept.Column_1 = widths[0];
  kept.Column_2 = widths[1];
  kept.Column_3 = widths[2];
  kept.Column_4 = widths[3];
  app::AppSettings().UpdateFile([&kept](app::TIniFile& ini) { kept.Write(ini); });
  StorePlace(this);
}

QString TfrmAdd::CurrentFolder() const { return browser_->Folder(); }

void TfrmAdd::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Activate();
}

void TfrmAdd::Activate() {
  // Choosing again on later activations would undo the user's type (a new archive's name
  // would pick its own again) and action after every password entry.
  if (activated_) return;
  activated_ = true;
  action_->setCurrentIndex(0);
  solid_->setChecked(app::AppSettings().SolidArchive);
  std::optional<app::TTypeEntry> chosen;
  if (const app::TArc* wrapper = components_.CurrentWrapper) {
    chosen = app::WrapperArchiveType(wrapper->ArchiveKind);
    types_ = {*chosen};
  } else if (components_.WriterHasArchive()) {
    // A type this dialog cannot name keeps the command's writer, without a type to choose.
    chosen = app::OpenArchiveType(listerType_);
    if (chosen) types_ = {*chosen};
  } else {
    types_ = app::NewArchiveTypes();
    chosen = app::NewArchiveType(newArchiveName_);
  }
  const QSignalBlocker block(type_);
  type_->clear();
  for (const app::TTypeEntry& entry : types_) type_->addItem(entry.Caption);
  if (chosen) {
    const auto at = std::find_if(types_.begin(), types_.end(), [&chosen](const auto& entry) {
      return entry.Kind == chosen->Kind;
    });
    type_->setCurrentIndex(int(at - types_.begin()));
    components_.Select(chosen->Kind);
  }
  ShowTypeSettings();
}

void TfrmAdd::ChooseType(int entry) {
  if (entry < 0 || entry >= int(types_.size())) return;
  components_.Select(types_[size_t(entry)].Kind);
  ShowTypeSettings();
}

void TfrmAdd::ChooseMethod() {
  app::ApplyMethod(components_, methods_.value(method_->currentIndex()));
  compression_->setEnabled(app::CompressionApplies(components_));
}

void TfrmAdd::ShowTypeSettings() {
  const app::TTypeSettings t = app::ApplyTypeSettings(components_, userEncryption_);
  methods_ = t.Methods;
  {
    const QSignalBlocker block(method_);
    method_->clear();
    method_->addItems(t.Methods);
    method_->setCurrentIndex(t.Method);
  }
  for (QWidget* control :
       std::initializer_list<QWidget*>{archive_, readOnly_, hidden_, sysFile_, directory_,
                                       subFolders_, storedFolders_, dateAttributes_, action_})
    control->setEnabled(t.WriterControls);
  if (t.WriterControls) {
    storedFolders_->setCurrentIndex(t.StoredFolders);
    dateAttributes_->setCurrentIndex(t.DateAttributes);
    action_->setCurrentIndex(t.Action);
    // Leaving the ZIP family takes the encryption back to "None".
    if (t.Encryption == 0) userEncryption_ = 0;
  }
  {
    const QSignalBlocker block(encryption_);
    encryption_->setCurrentIndex(t.Encryption >= 0 ? t.Encryption : userEncryption_);
  }
  encryption_->setEnabled(t.EncryptionEnabled);
  password_->setEnabled(t.PasswordEnabled);
  solid_->setVisible(t.SolidVisible);
  compression_->setEnabled(t.CompressionEnabled);
}

bool TfrmAdd::Refused(TComponentKind kind) {
  const app::TComponentType& type = app::ComponentType(kind);
  if (type.Available) return false;
  MessageBox(app::FormatMessage(app::Message(215), {type.Format}), mtWarning, {mbOK}, 0, this);
  return true;
}

app::TAddOptions TfrmAdd::Options() const {
  app::TAddOptions o;
  o.Compression = compression_->currentIndex();
  o.Action = action_->currentIndex();
  o.IncludeSubFolders = subFolders_->isChecked();
  o.Archive = archive_->isChecked();
  o.ReadOnly = readOnly_->isChecked();
  o.Hidden = hidden_->isChecked();
  o.SysFile = sysFile_->isChecked();
  o.Directory = directory_->isChecked();
  o.StoredFolders = storedFolders_->currentIndex();
  o.DateAttributes = dateAttributes_->currentIndex();
  o.Method = methods_.value(method_->currentIndex());
  o.Encryption = encryption_->currentIndex();
  o.Solid = solid_->isChecked();
  return o;
}

void TfrmAdd::accept() {
  const app::TAddOptions options = Options();
  const std::vector<app::TBrowserItem> items = browser_->Items();
  if (app::TArc* wrapper = components_.CurrentWrapper) {
    if (Refused(wrapper->ArchiveKind)) return;
    if (app::ApplyWrapperChoices(*wrapper, options, CurrentFolder(), items))
      QDialog::accept();
    else
      reject();
    return;
  }
  if (!components_.CurrentWriter) {
    reject();
    return;
  }
  if (Refused(components_.KindOf(*components_.CurrentWriter))) return;
  // Nothing selected ends the dialog before anything changes, and before any password box.
  if (std::none_of(items.begin(), items.end(),
                   [](const app::TBrowserItem& i) { return i.Selected; })) {
    reject();
    return;
  }
  if (!app::ConfirmEncryption(components_, options.Encryption, NewPasswordBoxes(this),
                              PasswordMismatchBox(this)))
    return;
  app::ApplyWriterOptions(components_, options, app::AppSettings().AppTempFolder);
  app::FillFileSpecs(components_, items);
  QDialog::accept();
}

}  // namespace vk::gui

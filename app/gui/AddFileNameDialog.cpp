#include "app/gui/AddFileNameDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "app/core/AddChoices.h"
#include "app/core/AppSettings.h"
#include "app/core/ArchiveNames.h"
#include "app/core/ProgressReport.h"
#include "app/core/Translation.h"
#include "app/gui/MessageBox.h"
#include "app/gui/PromptDialogs.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

using app::TComponentKind;

// The file to add to may not exist yet, so any name is taken; its folder has to exist.
class TArchiveChooser : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  void accept() override {
    const QStringList files = selectedFiles();
    if (files.isEmpty() || QFileInfo(files.first()).dir().exists()) QFileDialog::accept();
  }
};

int EntryOf(TComponentKind kind) {
  const auto& types = app::CompactTypes();
  return int(std::find_if(types.begin(), types.end(),
                          [kind](const app::TCompactEntry& e) { return e.Kind == kind; }) -
             types.begin());
}

QComboBox* NewCombo(QWidget* parent, const char* name, const QStringList& items) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->addItems(items);
  return combo;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

TfrmAddFileName::TfrmAddFileName(app::TArchiveComponents& components, QWidget* parent)
    : QDialog(parent), components_(components) {
  setObjectName("frmAddFileName");
  setWindowTitle(tr("Add"));
  info_ = new QLabel(this);
  info_->setObjectName("lbInfo");
  name_ = new QLineEdit(this);
  name_->setObjectName("edArcName");
  auto* open = new QToolButton(this);
  open->setObjectName("sbOpen");
  open->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  open->setToolTip(tr("Choose the archive"));
  action_ = NewCombo(this, "cbAction", {tr("Add"), tr("Refresh"), tr("Move")});
  compression_ =
      NewCombo(this, "cbCompression", {tr("Super Fast"), tr("Fast"), tr("Normal"), tr("Maximal")});
  QStringList types;
  for (const app::TCompactEntry& entry : app::CompactTypes()) types << entry.Caption;
  type_ = NewCombo(this, "cbArcType", types);
  method_ = NewCombo(this, "cbMethod", {});
  encryption_ = NewCombo(this, "cbEncryption", app::EncryptionChoices());
  password_ = new QPushButton(tr("Password"), this);
  password_->setObjectName("bnPassword");
  solid_ = new QCheckBox(tr("Solid Archive"), this);
  solid_->setObjectName("chSolid");
  // The box comes and goes with the 7-ZIP type; the dialog keeps its size.
  QSizePolicy keepPlace = solid_->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(true);
  solid_->setSizePolicy(keepPlace);
  auto* add = new QPushButton(tr("&Add"), this);
  add->setObjectName("bbAdd");
  add->setDefault(true);
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName("bbCancel");

  auto* layout = new QGridLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(info_, 0, 0, 1, 4);
  layout->addWidget(NewLabel(this, "lbArcName", tr("Add to Archive:"), name_), 1, 0, 1, 4);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(name_, 1);
  nameRow->addWidget(open);
  layout->addLayout(nameRow, 2, 0, 1, 4);
  layout->addWidget(NewLabel(this, "lbAction", tr("Action:"), action_), 3, 0);
  layout->addWidget(action_, 3, 1);
  layout->addWidget(NewLabel(this, "lbArcType", tr("Archiving Type:"), type_), 3, 2);
  layout->addWidget(type_, 3, 3);
  layout->addWidget(NewLabel(this, "lbCompression", tr("Compression:"), compression_), 4, 0);
  layout->addWidget(compression_, 4, 1);
  layout->addWidget(NewLabel(this, "lbMethod", tr("Method:"), method_), 4, 2);
  layout->addWidget(method_, 4, 3);
  layout->addWidget(NewLabel(this, "lbEncryption", tr("Encryption:"), encryption_), 5, 0);
  layout->addWidget(encryption_, 5, 1);
  layout->addWidget(password_, 5, 2);
  layout->addWidget(solid_, 5, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(add);
  buttons->addWidget(cancel);
  layout->addLayout(buttons, 6, 0, 1, 4);
  info_->setMinimumWidth(420);

  connect(type_, &QComboBox::activated, this, &TfrmAddFileName::ChooseType);
  connect(method_, &QComboBox::activated, this, &TfrmAddFileName::ChooseMethod);
  connect(encryption_, &QComboBox::activated, this, [this](int index) {
    userEncryption_ = index;
    password_->setEnabled(index != 0);
  });
  connect(password_, &QPushButton::clicked, this, [this] {
    app::AskNewPassword(components_, NewPasswordBoxes(this), PasswordMismatchBox(this));
  });
  connect(open, &QToolButton::clicked, this, &TfrmAddFileName::Browse);
  connect(add, &QPushButton::clicked, this, &TfrmAddFileName::accept);
  connect(cancel, &QPushButton::clicked, this, &TfrmAddFileName::reject);

  const app::TAppSettings& s = app::AppSettings();
  // The ZIP writer is current, and stays so behind a wrapper type: it starts with the
  // usual ZIP method, whichever type the settings choose.
  components_.Select(TComponentKind::Zip);
  app::ApplyDefaultMethod(*components_.CurrentWriter, TComponentKind::Zip);
  type_->setCurrentIndex(EntryOf(TComponentKind::Zip));
  ShowTypeSettings();
  compression_->setCurrentIndex(std::clamp(s.DefType, 0, 3));
  if (const int entry = app::CompactTypeOfDefArcType(s.DefArcType); entry >= 0) ChooseType(entry);
  method_->setCurrentIndex(app::DefaultMethodEntry(*components_.CurrentKind(), s));
  ChooseMethod();
  solid_->setChecked(s.SolidArchive);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

void TfrmAddFileName::SetArchiveName(const QString& item, bool several) {
  if (!several) {
    const QFontMetrics metrics = info_->fontMetrics();
    const QString shown = app::ShortenPath(
        item, 400, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
    SetInfo(app::FormatMessage(app::Message(290), {shown}));
  }
  name_->setText(app::ProposedArchiveName(item, several, Extension({})));
}

void TfrmAddFileName::SetInfo(const QString& text) { info_->setText(text); }

QString TfrmAddFileName::ArchiveName() const { return name_->text(); }

void TfrmAddFileName::TakeChosenFile(const QString& file) {
  name_->setText(file);
  const int entry = app::CompactTypeOfName(file);
  if (entry < 0) return Rename();
  // The archive chosen to add to keeps its name: a ".gza" takes BGA's GZA method.
  if (app::CompactTypes()[size_t(entry)].Kind == TComponentKind::Bga)
    components_.Wrapper(TComponentKind::Bga).CompressionMethod =
        file.endsWith(".gza", Qt::CaseInsensitive) ? 1 : 0;
  ChooseType(entry);
}

void TfrmAddFileName::accept() {
  const QString name = name_->text();
  if (name.isEmpty() || QFileInfo(name).fileName().isEmpty()) {
    MessageBox(app::Message(440), mtWarning, {mbOK}, 0, this);
    return;
  }
  // Offering a type and then quietly writing another would be worse than saying so.
  const app::TComponentType& type = app::ComponentType(*components_.CurrentKind());
  if (!type.Available) {
    MessageBox(app::FormatMessage(app::Message(215), {type.Format}), mtWarning, {mbOK}, 0, this);
    return;
  }
  Rename();
  app::TAddOptions options;
  options.Compression = compression_->currentIndex();
  options.Action = action_->currentIndex();
  options.Method = methods_.value(method_->currentIndex());
  options.Encryption = encryption_->currentIndex();
  options.Solid = solid_->isChecked();
  app::ApplyCompactChoices(components_, options, app::AppSettings().AppTempFolder);
  // The user asked for encryption: without the password nothing is added.
  if (!components_.CurrentWrapper &&
      !app::ConfirmEncryption(components_, options.Encryption, NewPasswordBoxes(this),
                              PasswordMismatchBox(this)))
    return;
  QDialog::accept();
}

void TfrmAddFileName::ChooseType(int entry) {
  type_->setCurrentIndex(entry);
  components_.Select(app::CompactTypes()[size_t(entry)].Kind);
  ShowTypeSettings();
  Rename();
}

void TfrmAddFileName::ChooseMethod() {
  app::ApplyMethod(components_, methods_.value(method_->currentIndex()));
  compression_->setEnabled(app::CompressionApplies(components_));
  if (components_.CurrentWrapper && components_.CurrentWrapper->ArchiveKind == TComponentKind::Bga)
    Rename();
}

void TfrmAddFileName::ShowTypeSettings() {
  const bool wrapper = components_.CurrentWrapper != nullptr;
  const app::TTypeSettings t = app::ApplyTypeSettings(components_, userEncryption_);
  methods_ = t.Methods;
  method_->clear();
  method_->addItems(t.Methods);
  method_->setCurrentIndex(t.Method);
  action_->setEnabled(t.WriterControls);
  if (!wrapper && t.Encryption >= 0) userEncryption_ = t.Encryption;
  encryption_->setCurrentIndex(wrapper ? t.Encryption : userEncryption_);
  encryption_->setEnabled(t.EncryptionEnabled);
  password_->setEnabled(t.PasswordEnabled);
  solid_->setVisible(t.SolidVisible);
  compression_->setEnabled(t.CompressionEnabled);
}

void TfrmAddFileName::Rename() {
  name_->setText(app::ReplaceArchiveExtension(name_->text(), Extension(name_->text())));
}

QString TfrmAddFileName::Extension(const QString& name) const {
  const int entry = type_->currentIndex();
  // Both endings are LZH's own: a name with the other one is not renamed.
  if (app::CompactTypes()[size_t(entry)].Kind == TComponentKind::Lha &&
      name.endsWith(".lzh", Qt::CaseInsensitive))
    return name.right(4);
  return app::CompactExtension(entry, components_.Wrapper(TComponentKind::Bga).CompressionMethod);
}

void TfrmAddFileName::Browse() {
  TArchiveChooser chooser(this, tr("Add to Archive"));
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setFileMode(QFileDialog::AnyFile);
  // Adding to an existing archive is what the dialog is for.
  chooser.setOption(QFileDialog::DontConfirmOverwrite);
  if (const QString name = name_->text(); !name.isEmpty()) {
    const QFileInfo current(name);
    chooser.setDirectory(current.absolutePath());
    chooser.selectFile(current.fileName());
  }
  if (chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty())
    TakeChosenFile(chooser.selectedFiles().first());
}

}  // namespace vk::gui

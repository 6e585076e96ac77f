#include "app/gui/PropertiesDialog.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/core/ArchiveInfo.h"
#include "app/core/ColumnFormat.h"
#include "app/core/Translation.h"
#include "app/gui/RarBar.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {

TFormProperties::TFormProperties(QWidget* parent) : QDialog(parent) {
  setObjectName("FormProperties");
  setWindowTitle(app::Message(300));
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl");
  archivePage_ = Page("ArchiveFile", {{"Name", tr("Name:")},
                                      {"Folder", tr("Folder:")},
                                      {"FileSize", tr("File Size:")},
                                      {"Files", tr("Number of Files:")},
                                      {"Compression", tr("Compression:")},
                                      {"DateTime", tr("Date/Time:")}});
  pages_->addTab(archivePage_, tr("Archive"));
  bar_ = new TRarBar(archivePage_);
  bar_->setObjectName("RarBar");
  static_cast<QHBoxLayout*>(archivePage_->layout())->addWidget(bar_);
  entryPage_ = Page("Selected", {{"File", tr("File:")},
                                 {"Path", tr("Path:")},
                                 {"Type", tr("Type:")},
                                 {"Size", tr("Size:")},
                                 {"Packed", tr("Packed Size:")},
                                 {"Ratio", tr("Ratio:")},
                                 {"Modified", tr("Modified:")},
                                 {"CRC", tr("CRC:")}});
  pages_->addTab(entryPage_, tr("Selected File"));

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("bbOK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addLayout(buttons);
  resize(440, 300);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

QWidget* TFormProperties::Page(const QString& name,
                               const std::vector<std::pair<QString, QString>>& rows) {
  auto* page = new QWidget;
  page->setObjectName(name);
  auto* form = new QFormLayout;
  for (const auto& [key, caption] : rows) {
    auto* label = new QLabel(caption, page);
    label->setObjectName("lb" + key);
    auto* value = new QLabel(page);
    value->setObjectName("st" + key);
    // Names and paths can be long, and users copy them.
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setWordWrap(true);
    values_[key] = value;
    form->addRow(label, value);
  }
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(form, 1);
  return page;
}

void TFormProperties::Set(const QString& name, const QString& text) {
  values_.at(name)->setText(text);
}

void TFormProperties::ShowPage(QWidget* page) {
  for (QWidget* each : {archivePage_, entryPage_})
    pages_->setTabVisible(pages_->indexOf(each), each == page);
  pages_->setCurrentWidget(page);
}

void TFormProperties::ShowArchive(const QString& path, int files, int ratio) {
  setWindowTitle(app::Message(300));
  const QFileInfo file(path);
  Set("Name", file.fileName());
  Set("Folder", file.absolutePath());
  Set("FileSize", app::FormatThousands(file.size()));
  Set("Files", QString::number(files));
  Set("Compression", QStringLiteral("%1%").arg(ratio));
  Set("DateTime", app::FileModifiedText(path, QLocale()));
  bar_->SetProgress(ratio);
  ShowPage(archivePage_);
}

void TFormProperties::ShowEntry(const app::TShellItem& item) {
  setWindowTitle(app::Message(310));
  const QLocale locale;
  const std::pair<const char*, int> columns[] = {
      {"File", app::colName}, {"Path", app::colFolder},      {"Type", app::colFileType},
      {"Size", app::colSize}, {"Packed", app::colPacked},    {"Ratio", app::colRatio},
      {"CRC", app::colCRC},   {"Modified", app::colModified}};
  for (const auto& [key, column] : columns) Set(key, app::ColumnText(item, column, locale));
  ShowPage(entryPage_);
}

QString TFormProperties::Value(const QString& name) const {
  const auto it = values_.find(name);
  return it == values_.end() ? QString() : it->second->text();
}

int TFormProperties::BarProgress() const { return bar_->Progress(); }

}  // namespace vk::gui

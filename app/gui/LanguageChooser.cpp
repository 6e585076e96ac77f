#include "app/gui/LanguageChooser.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/AppPaths.h"
#include "app/core/Translation.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {

std::optional<QString> ChooseLanguage() {
  QDialog form(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
  form.setObjectName("FormLanguages");
  form.setWindowTitle("Vorelkit");
  auto* layout = new QVBoxLayout(&form);
  auto* label = new QLabel("Select a language:", &form);
  label->setObjectName("Label1");
  auto* list = new QListWidget(&form);
  list->setObjectName("ListBox1");
  auto* ok = new QPushButton("OK", &form);
  ok->setObjectName("Button1");
  layout->addWidget(label);
  layout->addWidget(list);
  layout->addWidget(ok);
  QObject::connect(ok, &QPushButton::clicked, &form, &QDialog::accept);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &form, &QDialog::accept);
  // The file names in the folder's own order, without their extension.
  for (const QFileInfo& file :
       QDir(app::LanguagesFolder()).entryInfoList({"*.lng"}, QDir::Files, QDir::Unsorted))
    list->addItem(file.completeBaseName());
  TranslateWindows({&form}, app::ActiveLanguageFile());
  form.exec();
  if (!list->currentItem()) return std::nullopt;
  return app::ChooserLanguagePath(list->currentItem()->text().trimmed());
}

}  // namespace vk::gui

#include "app/gui/ToolFiles.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

namespace vk::gui {

void ChooseOpenName(QWidget* parent, QLineEdit* edit, const QString& filter) {
  const QString file = QFileDialog::getOpenFileName(parent, {}, edit->text(), filter);
  if (!file.isEmpty()) edit->setText(QDir::toNativeSeparators(file));
}

void ChooseSaveName(QWidget* parent, QLineEdit* edit, const QString& filter,
                    const QString& extension) {
  QString file = QFileDialog::getSaveFileName(parent, {}, edit->text(), filter, nullptr,
                                              QFileDialog::DontConfirmOverwrite);
  if (file.isEmpty()) return;
  if (!file.endsWith(extension, Qt::CaseInsensitive)) {
    const QFileInfo info(file);
    file = info.path() + u'/' + info.completeBaseName() + extension;
  }
  edit->setText(QDir::toNativeSeparators(file));
}

void ChooseFolderFor(QWidget* parent, QLineEdit* edit) {
  const QFileInfo current(edit->text());
  const QString folder = QFileDialog::getExistingDirectory(parent, {}, current.path());
  if (!folder.isEmpty())
    edit->setText(QDir::toNativeSeparators(QDir(folder).filePath(current.fileName())));
}

}  // namespace vk::gui

// Choosing the files of the Tools menu's dialogs into their edit fields.
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace vk::gui {

// A file chosen with an open dialog goes into `edit`.
void ChooseOpenName(QWidget* parent, QLineEdit* edit, const QString& filter);
// A name chosen with a save dialog goes into `edit`, `extension` forced on it.
void ChooseSaveName(QWidget* parent, QLineEdit* edit, const QString& filter,
                    const QString& extension);
// A folder chosen goes into `edit` in front of the file name it holds.
void ChooseFolderFor(QWidget* parent, QLineEdit* edit);

}  // namespace vk::gui

// The boxes that answer the engine's questions: replace a file, give a new name, enter a
// password.
#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "app/prompts/Prompter.h"

class QWidget;

namespace vk::gui {

// TfrmReplace: Yes, Yes to All, No (also Escape) or Not to All.
app::TAnswer AskReplace(const QString& caption, const QString& text, QWidget* parent = nullptr);
// TfrmRenameFile: Yes with the edited `name`, No, or Not to All (NoToAll).
app::TAnswer AskNewName(const QString& caption, const QString& text, QString& name,
                        QWidget* parent = nullptr);
// TfrmInputPassword: true with the typed `text` on OK.
bool AskPassword(const QString& caption, const QString& prompt, QString& text,
                 QWidget* parent = nullptr);

// The boxes of the add dialogs' new-password procedure: a password box per entry (nothing
// when cancelled), and the note that the two entries differ.
std::function<std::optional<QString>(const QString& caption, const QString& prompt)>
NewPasswordBoxes(QWidget* parent);
std::function<void()> PasswordMismatchBox(QWidget* parent);

}  // namespace vk::gui

// Answers the modal boxes that open while it lives: each password box with the next answer
// (an empty answer, or running out of answers, cancels it), each message box by closing it
// after noting its text.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <optional>
#include <vector>

namespace vk::gui::test {

class TBoxAnswers {
 public:
  explicit TBoxAnswers(std::vector<std::optional<QString>> passwords = {})
      : passwords_(std::move(passwords)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
    timer_.start(10);
  }
  QStringList Messages;
  int PasswordBoxes = 0;

 private:
  void Answer() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      Messages << box->text();
      box->close();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal);
               dialog && dialog->objectName() == "frmInputPassword") {
      const size_t next = size_t(PasswordBoxes++);
      const std::optional<QString> answer =
          next < passwords_.size() ? passwords_[next] : std::nullopt;
      if (!answer) return dialog->reject();
      dialog->findChild<QLineEdit*>("meEdit")->setText(*answer);
      dialog->accept();
    }
  }
  std::vector<std::optional<QString>> passwords_;
  QTimer timer_;
};

}  // namespace vk::gui::test

#include "tests/app/support/ModalSteps.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

namespace vk::gui::test {

TModalSteps::TModalSteps(std::vector<TStep> steps, bool repeatLast)
    : steps_(std::move(steps)), repeatLast_(repeatLast && !steps_.empty()) {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || next_ >= steps_.size()) return;
    if (steps_[next_](modal) && !(repeatLast_ && next_ + 1 == steps_.size())) ++next_;
  });
  timer_.start(10);
}

TModalSteps::~TModalSteps() {
  const size_t needed = steps_.size() - (repeatLast_ ? 1 : 0);
  EXPECT_GE(next_, needed) << "modal steps left unanswered";
}

TStep Do(std::function<void(QWidget* modal)> act) {
  return [act](QWidget* modal) {
    act(modal);
    return true;
  };
}

TStep Box(QStringList& texts, QMessageBox::StandardButton answer) {
  return [&texts, answer](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) return false;
    texts << box->text();
    box->button(answer)->click();
    return true;
  };
}

TStep SaveAs(const QString& path) {
  return [path](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) return false;
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();
    return true;
  };
}

TBoxAnswers::TBoxAnswers(std::vector<std::optional<QString>> passwords)
    : passwords_(std::move(passwords)),
      steps_({[this](QWidget* modal) {
               if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                 Messages << box->text();
                 box->close();
               } else if (auto* dialog = qobject_cast<QDialog*>(modal);
                          dialog && dialog->objectName() == "frmInputPassword") {
                 const size_t next = size_t(PasswordBoxes++);
                 const std::optional<QString> answer =
                     next < passwords_.size() ? passwords_[next] : std::nullopt;
                 if (!answer) {
                   dialog->reject();
                 } else {
                   dialog->findChild<QLineEdit*>("meEdit")->setText(*answer);
                   dialog->accept();
                 }
               }
               return true;
             }},
             true) {}

}  // namespace vk::gui::test

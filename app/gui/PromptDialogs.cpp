#include "app/gui/PromptDialogs.h"

#include "app/core/Translation.h"
#include "app/gui/MessageBox.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vk::gui {
namespace {

struct TChoice {
  const char* name;
  const char* caption;
  app::TAnswer answer;
};

// A tool window with a wrapping text, an optional edit and a row of answer buttons; the
// first button is the default, Escape answers No.
class TAnswerBox : public QDialog {
 public:
  TAnswerBox(const char* name, const QString& caption, const QString& text,
             std::initializer_list<TChoice> choices, QWidget* parent)
      : QDialog(parent, Qt::Tool) {
    setObjectName(name);
    setWindowTitle(caption);
    auto* label = new QLabel(text, this);
    label->setObjectName("lbMain");
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout_ = new QVBoxLayout(this);
    layout_->addWidget(label);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (const TChoice& choice : choices) {
      auto* button = new QPushButton(tr(choice.caption), this);
      button->setObjectName(choice.name);
      button->setAutoDefault(false);
      if (&choice == choices.begin()) button->setDefault(true);
      connect(button, &QPushButton::clicked, this, [this, answer = choice.answer] {
        answer_ = answer;
        accept();
      });
      row->addWidget(button);
    }
    layout_->addLayout(row);
  }
  void AddEdit(QLineEdit* edit) { layout_->insertWidget(1, edit); }
  app::TAnswer Run() {
    exec();
    return answer_;
  }

 private:
  QVBoxLayout* layout_;
  app::TAnswer answer_ = app::TAnswer::No;  // Escape and the close button
};

}  // namespace

app::TAnswer AskReplace(const QString& caption, const QString& text, QWidget* parent) {
  TAnswerBox box("frmReplace", caption, text,
                 {{"bnYes", "&Yes", app::TAnswer::Yes},
                  {"bnYesToAll", "Yes to &All", app::TAnswer::YesToAll},
                  {"bnNo", "&No", app::TAnswer::No},
                  {"bnNotToAll", "N&ot to All", app::TAnswer::NoToAll}},
                 parent);
  return box.Run();
}

app::TAnswer AskNewName(const QString& caption, const QString& text, QString& name,
                        QWidget* parent) {
  TAnswerBox box("frmRenameFile", caption, text,
                 {{"bnYes", "&Yes", app::TAnswer::Yes},
                  {"bnNo", "&No", app::TAnswer::No},
                  {"bnNotToAll", "N&ot to All", app::TAnswer::NoToAll}},
                 parent);
  auto* edit = new QLineEdit(name, &box);
  edit->setObjectName("edNewFileName");
  box.AddEdit(edit);
  const app::TAnswer answer = box.Run();
  if (answer == app::TAnswer::Yes) name = edit->text();
  return answer;
}

bool AskPassword(const QString& caption, const QString& prompt, QString& text, QWidget* parent) {
  QDialog box(parent);
  box.setObjectName("frmInputPassword");
  box.setWindowTitle(caption);
  auto* label = new QLabel(prompt, &box);
  label->setObjectName("lbPrompt");
  auto* edit = new QLineEdit(text, &box);
  edit->setObjectName("meEdit");
  edit->setMaxLength(255);
  edit->setEchoMode(QLineEdit::Password);
  auto* show = new QCheckBox(QObject::tr("Show Password"), &box);
  show->setObjectName("chbShowPass");
  QObject::connect(show, &QCheckBox::toggled, edit, [edit](bool on) {
    edit->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password);
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
  auto* layout = new QVBoxLayout(&box);
  layout->addWidget(label);
  layout->addWidget(edit);
  layout->addWidget(show);
  layout->addWidget(buttons);
  edit->selectAll();
  if (box.exec() != QDialog::Accepted) return false;
  text = edit->text();
  return true;
}

std::function<std::optional<QString>(const QString& caption, const QString& prompt)>
NewPasswordBoxes(QWidget* parent) {
  return [parent](const QString& caption, const QString& prompt) -> std::optional<QString> {
    QString text;
    if (!AskPassword(caption, prompt, text, parent)) return std::nullopt;
    return text;
  };
}

std::function<void()> PasswordMismatchBox(QWidget* parent) {
  return [parent] {
    MessageBox(app::Message(787) + '\n' + app::Message(788), mtInformation, {mbOK}, 0, parent);
  };
}

}  // namespace vk::gui

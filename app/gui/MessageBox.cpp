#include "app/gui/MessageBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "app/core/Translation.h"

namespace vk::gui {
namespace {

struct TButtonInfo {
  QMessageBox::StandardButton Standard;
  TModalResult Result;
  app::TBoxWord Word;  // TBoxWord::Close for "keep Qt's own text"
  bool Translated;
};

TButtonInfo InfoOf(TMsgDlgBtn button) {
  using S = QMessageBox::StandardButton;
  using W = app::TBoxWord;
  switch (button) {
    case mbYes:
      return {S::Yes, mrYes, W::Yes, true};
    case mbNo:
      return {S::No, mrNo, W::No, true};
    case mbOK:
      return {S::Ok, mrOk, W::Close, false};
    case mbCancel:
      return {S::Cancel, mrCancel, W::Cancel, true};
    case mbAbort:
      return {S::Abort, mrAbort, W::Close, false};
    case mbRetry:
      return {S::Retry, mrRetry, W::Close, false};
    case mbIgnore:
      return {S::Ignore, mrIgnore, W::Close, false};
    case mbAll:
      return {S::NoButton, mrAll, W::Close, false};
    case mbNoToAll:
      return {S::NoToAll, mrNoToAll, W::Close, false};
    case mbYesToAll:
      return {S::YesToAll, mrYesToAll, W::YesToAll, true};
    case mbHelp:
      return {S::Help, mrHelp, W::Help, true};
    case mbClose:
      return {S::Close, mrClose, W::Close, false};
  }
  return {S::Ok, mrOk, W::Close, false};
}

// The language's word, unless the language has none.
void SetWord(QAbstractButton* button, app::TBoxWord word) {
  const QString text = app::BoxWord(word);
  if (text != app::kNoTranslation) button->setText(text);
}

void CentreOnScreen(QWidget* dialog) {
  dialog->adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = dialog->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    dialog->move(frame.topLeft());
  }
}

}  // namespace

TModalResult MessageBox(const QString& text, TMsgDlgType kind,
                        std::initializer_list<TMsgDlgBtn> buttons, int helpContext,
                        QWidget* parent) {
  QMessageBox box(parent);
  box.setObjectName("MessageBox");
  box.setText(text);
  static const std::pair<QMessageBox::Icon, app::TBoxWord> kKinds[] = {
      {QMessageBox::Warning, app::TBoxWord::Warning},
      {QMessageBox::Critical, app::TBoxWord::Error},
      {QMessageBox::Information, app::TBoxWord::Information},
      {QMessageBox::Question, app::TBoxWord::Confirmation}};
  if (kind == mtCustom) {
    box.setWindowTitle(QStringLiteral("Vorelkit"));
  } else {
    box.setIcon(kKinds[kind].first);
    const QString caption = app::BoxWord(kKinds[kind].second);
    box.setWindowTitle(caption == app::kNoTranslation ? QStringLiteral("Vorelkit") : caption);
  }
  std::vector<std::pair<QAbstractButton*, TModalResult>> results;
  QAbstractButton* escape = nullptr;
  for (TMsgDlgBtn button : buttons) {
    const TButtonInfo info = InfoOf(button);
    QAbstractButton* added = info.Standard == QMessageBox::NoButton
                                 ? box.addButton(QMessageBox::tr("All"), QMessageBox::AcceptRole)
                                 : box.addButton(info.Standard);
    if (info.Translated) SetWord(added, info.Word);
    if (button == mbYesToAll) added->setMinimumWidth(added->sizeHint().width() + 20);
    if (button == mbHelp) {
      // Help has nothing to show: the button stays and the box stays open.
      added->setProperty("helpContext", helpContext);
      added->disconnect();
    }
    results.emplace_back(added, info.Result);
    if (button == mbCancel || (button == mbNo && !escape)) escape = added;
  }
  if (escape) box.setEscapeButton(escape);
  CentreOnScreen(&box);
  box.exec();
  for (const auto& [button, result] : results)
    if (box.clickedButton() == button) return result;
  if (escape)
    for (const auto& [button, result] : results)
      if (button == escape) return result;
  return results.empty() ? mrNone : results.front().second;
}

bool InputBox(const QString& caption, const QString& prompt, QString& text, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName("InputBox");
  dialog.setWindowTitle(caption);
  // Laid out in dialog units of the font: a quarter of the average character width
  // across, an eighth of the character height down.
  const QFontMetrics metrics = dialog.fontMetrics();
  auto x = [&](int units) { return units * metrics.averageCharWidth() / 4; };
  auto y = [&](int units) { return units * metrics.height() / 8; };
  dialog.setFixedSize(x(180), y(63));
  auto* label = new QLabel(prompt, &dialog);
  label->setObjectName("Prompt");
  label->move(x(8), y(8));
  label->setFixedWidth(x(164));
  auto* edit = new QLineEdit(text, &dialog);
  edit->setObjectName("Edit");
  edit->setMaxLength(255);
  edit->setGeometry(x(8), y(19), x(164), y(12));
  edit->selectAll();
  auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  ok->setGeometry(x(38), y(41), x(50), y(14));
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
  cancel->setObjectName("CancelButton");
  SetWord(cancel, app::TBoxWord::Cancel);
  cancel->setGeometry(x(92), y(41), x(50), y(14));
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  CentreOnScreen(&dialog);
  edit->setFocus();
  if (dialog.exec() != QDialog::Accepted) return false;
  text = edit->text();
  return true;
}

}  // namespace vk::gui

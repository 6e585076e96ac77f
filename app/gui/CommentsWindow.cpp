#include "app/gui/CommentsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/DialogPlace.h"
#include "app/gui/MessageBox.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {

TfrmComments::TfrmComments(const QString& archive, bool readOnly, app::TEnginePrompts& prompts,
                           qel::TErrorEvent onError, QWidget* parent)
    : QDialog(parent), archive_(archive), prompts_(prompts), onError_(std::move(onError)) {
  setObjectName("frmComments");
  setWindowTitle(tr("Comments"));
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("Memo");
  // Comments are often laid out in columns for a fixed-width font.
  memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  memo_->setReadOnly(readOnly);
  showComments_ = new QCheckBox(tr("Show comments when opening Zip archives"), this);
  showComments_->setObjectName("chbShowComments");
  showComments_->setChecked(app::AppSettings().ShowComments);
  auto* save = new QPushButton(tr("&Save"), this);
  save->setObjectName("bbSave");
  save->setVisible(!readOnly);
  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName("bbClose");
  close->setDefault(readOnly);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(showComments_, 1);
  buttons->addWidget(save);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(memo_, 1);
  layout->addLayout(buttons);

  connect(save, &QPushButton::clicked, this, &TfrmComments::Save);
  connect(close, &QPushButton::clicked, this, &TfrmComments::reject);
  RestorePlace(this, QSize(480, 320));
  // Before the memo is filled: the language's lines would replace the comment's.
  TranslateWindows({this}, app::ActiveLanguageFile());

  if (archive_.isEmpty()) return;
  const std::optional<QString> comment = app::ReadArchiveComment(archive_, onError_);
  // An archive that cannot be read cannot take a comment either.
  save->setEnabled(comment.has_value());
  comment_ = comment.value_or(QString());
  memo_->setPlainText(comment_);
}

void TfrmComments::Save() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const app::TCommentSave result =
      app::WriteArchiveComment(archive_, memo_->toPlainText(), &prompts_, onError_);
  QApplication::restoreOverrideCursor();
  switch (result) {
    case app::TCommentSave::Saved:
      saved_ = true;
      accept();
      break;
    case app::TCommentSave::NotInCodePage:
      // Kept open, so that the text can be changed rather than lost.
      MessageBox(tr("The comment holds characters that a ZIP archive comment cannot store: "
                    "it is kept in the ANSI code page."),
                 mtWarning, {mbOK}, 0, this);
      break;
    case app::TCommentSave::Failed:
      break;  // the reason is in the error list; the text stays for another try
  }
}

void TfrmComments::done(int result) {
  app::AppSettings().ShowComments = showComments_->isChecked();
  StorePlace(this);
  QDialog::done(result);
}

}  // namespace vk::gui

// TfrmComments: a ZIP archive's comment in a memo, saved back into the archive on request;
// opened by itself after an archive with a comment opens, it only shows the comment.
#pragma once

#include <QDialog>

#include "app/core/ArchiveInfo.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace vk::gui {

class TfrmComments : public QDialog {
  Q_OBJECT

 public:
  // Reads the comment of `archive` (none for an empty name). `readOnly`: the comment cannot be
  // edited and there is no Save.
  TfrmComments(const QString& archive, bool readOnly, app::TEnginePrompts& prompts,
               qel::TErrorEvent onError, QWidget* parent = nullptr);

  // The comment as read from the archive.
  QString Comment() const { return comment_; }
  // Whether Save wrote the memo into the archive.
  bool Saved() const { return saved_; }

  void done(int result) override;

 private:
  void Save();

  QString archive_;
  app::TEnginePrompts& prompts_;
  qel::TErrorEvent onError_;
  QString comment_;
  bool saved_ = false;
  QPlainTextEdit* memo_ = nullptr;
  QCheckBox* showComments_ = nullptr;
};

}  // namespace vk::gui

// The self-extractor dialogs: TfrmSFX ("Create Self-Extracting Archive") puts the stub of
// the archive's kind in front of it; TfrmZipSFX (the same caption) makes a ZIP
// self-extractor with its settings (folder, caption, message, overwrite answer, command);
// TFormUnSFX ("UnSFX") takes the archive out of a self-extractor.
#pragma once

#include "app/gui/ToolDialog.h"
#include "engine/base/ArcType.h"

class QCheckBox;
class QComboBox;
class QPlainTextEdit;

namespace vk::gui {

// The Make Self-Extracting File command: the ZIP dialog for a ZIP, the plain one for any
// other archive. Answers the self-extractor made, empty when none was.
QString MakeSfxWithDialog(const QString& archive, qel::TArcType type, app::TEnginePrompts& prompts,
                          qel::TErrorEvent onError, QWidget* parent = nullptr);

class TfrmSFX : public TToolDialog {
  Q_OBJECT

 public:
  TfrmSFX(const QString& archive, qel::TArcType type, app::TEnginePrompts& prompts,
          qel::TErrorEvent onError, QWidget* parent = nullptr);
  // The self-extractor written, once OK made it; empty otherwise.
  const QString& Made() const { return made_; }

 protected:
  void Accept() override;

 private:
  QString archive_;
  qel::TArcType type_;
  QLineEdit* name_ = nullptr;
  QCheckBox* deleteSource_ = nullptr;
  QString made_;
};

class TfrmZipSFX : public TToolDialog {
  Q_OBJECT

 public:
  TfrmZipSFX(const QString& archive, app::TEnginePrompts& prompts, qel::TErrorEvent onError,
             QWidget* parent = nullptr);
  const QString& Made() const { return made_; }

 protected:
  void Accept() override;

 private:
  app::TZipSfxChoices Choices() const;

  QString archive_;
  QLineEdit* folder_ = nullptr;
  QLineEdit* caption_ = nullptr;
  QPlainTextEdit* message_ = nullptr;
  QComboBox* messageType_ = nullptr;
  QComboBox* overwrite_ = nullptr;
  QLineEdit* command_ = nullptr;
  QCheckBox* askCommand_ = nullptr;
  QCheckBox* autoRun_ = nullptr;
  QCheckBox* success_ = nullptr;
  QCheckBox* hideOverwrite_ = nullptr;
  QCheckBox* deleteSource_ = nullptr;
  QString made_;
};

class TFormUnSFX : public TToolDialog {
  Q_OBJECT

 public:
  TFormUnSFX(const QString& sfx, app::TEnginePrompts& prompts, qel::TErrorEvent onError,
             QWidget* parent = nullptr);

 protected:
  void Accept() override;

 private:
  QLineEdit* sfx_ = nullptr;
  QLineEdit* archive_ = nullptr;
};

}  // namespace vk::gui

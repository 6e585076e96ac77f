// TFormSplit ("Create Multi-Volume Set") cuts a ZIP into a split set of parts of a chosen
// size; TFormMerge ("Merge Multi-Volume Set") joins such a set back into one ZIP.
#pragma once

#include "app/gui/ToolDialog.h"

class QButtonGroup;
class QComboBox;
class QSpinBox;

namespace vk::gui {

class TFormSplit : public TToolDialog {
  Q_OBJECT

 public:
  TFormSplit(const QString& archive, app::TEnginePrompts& prompts, qel::TErrorEvent onError,
             QWidget* parent = nullptr);
  // The part size chosen, in bytes.
  int64_t PartBytes() const;

 protected:
  void Accept() override;

 private:
  QLineEdit* single_ = nullptr;
  QLineEdit* spanned_ = nullptr;
  QComboBox* size_ = nullptr;
  QSpinBox* custom_ = nullptr;
  QButtonGroup* unit_ = nullptr;
};

class TFormMerge : public TToolDialog {
  Q_OBJECT

 public:
  TFormMerge(const QString& lastPart, app::TEnginePrompts& prompts, qel::TErrorEvent onError,
             QWidget* parent = nullptr);

 protected:
  void Accept() override;

 private:
  QLineEdit* spanned_ = nullptr;
  QLineEdit* single_ = nullptr;
};

}  // namespace vk::gui

// The UU/XX/MIME encode dialog: the file to encode, the text to write, the encoding, and
// for UU and XX the volume size and whether the alphabet goes in front of the data.
#pragma once

#include "app/gui/ToolDialog.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace vk::gui {

class TfrmUUEncode : public TToolDialog {
  Q_OBJECT

 public:
  TfrmUUEncode(const QString& source, app::TEnginePrompts& prompts, qel::TErrorEvent onError,
               QWidget* parent = nullptr);

 protected:
  void Accept() override;

 private:
  qel::TCompressMethod Method() const;
  // The choices that follow the encoding, and OK, which waits for both names.
  void Follow();

  QLineEdit* source_ = nullptr;
  QLineEdit* destination_ = nullptr;
  QButtonGroup* method_ = nullptr;
  QComboBox* volumes_ = nullptr;
  QCheckBox* table_ = nullptr;
};

}  // namespace vk::gui

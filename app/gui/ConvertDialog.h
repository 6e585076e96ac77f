// TfrmConvert ("Convert Archive"): converts the archive named in it, or each archive of a
// list the window hands over, into the output type chosen.
#pragma once

#include <QStringList>

#include "app/gui/ToolDialog.h"

class QCheckBox;
class QComboBox;

namespace vk::gui {

class TfrmConvert : public TToolDialog {
  Q_OBJECT

 public:
  // With a list, the input and output fields stay locked and each listed archive is
  // converted; without one, `input` is proposed.
  TfrmConvert(const QString& input, const QStringList& list, app::TEnginePrompts& prompts,
              qel::TErrorEvent onError, QWidget* parent = nullptr);
  ~TfrmConvert() override;

  // The conversions that failed in the last run.
  int Failed() const { return failed_; }

 protected:
  void Accept() override;

 private:
  const app::TConvertTarget& Target() const;
  void ProposeOutput();
  bool ConvertOne(const QString& input, const QString& output);

  std::vector<app::TConvertTarget> targets_ = app::ConvertTargets();
  QStringList list_;
  QLineEdit* input_ = nullptr;
  QLineEdit* output_ = nullptr;
  QComboBox* type_ = nullptr;
  QCheckBox* integrity_ = nullptr;
  int failed_ = 0;
};

}  // namespace vk::gui

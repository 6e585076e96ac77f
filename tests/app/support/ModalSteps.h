// Drives the modal windows a test opens: one step each, in order, as they appear.
#pragma once

#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace vk::gui::test {

// Answers true once it has dealt with the window; false leaves it for a later look (not its
// kind, or not ready yet).
using TStep = std::function<bool(QWidget* modal)>;

class TModalSteps {
 public:
  // With `repeatLast`, the last step answers every window after the others for as long as
  // this lives. A step left unanswered at the end is a test failure.
  explicit TModalSteps(std::vector<TStep> steps, bool repeatLast = false);
  ~TModalSteps();
  TModalSteps(const TModalSteps&) = delete;
  TModalSteps& operator=(const TModalSteps&) = delete;

 private:
  std::vector<TStep> steps_;
  bool repeatLast_;
  size_t next_ = 0;
  QTimer timer_;
};

// `act` on whatever modal window comes.
TStep Do(std::function<void(QWidget* modal)> act);
// A message box: its text is kept, the button pressed.
TStep Box(QStringList& texts, QMessageBox::StandardButton answer = QMessageBox::Ok);
// A file dialog choosing `path`.
TStep SaveAs(const QString& path);

// Answers every box that opens while it lives: each password box with the next answer (an
// empty answer, or running out of answers, cancels it), each message box by closing it after
// noting its text.
class TBoxAnswers {
 public:
  explicit TBoxAnswers(std::vector<std::optional<QString>> passwords = {});
  QStringList Messages;
  int PasswordBoxes = 0;

 private:
  std::vector<std::optional<QString>> passwords_;
  TModalSteps steps_;
};

}  // namespace vk::gui::test

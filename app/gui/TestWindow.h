// TfrmTest: tests one archive when first shown and lists the verdict on every file in it,
// ending with a summary. Open for one command; its place is kept in the settings file.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "app/core/ArchiveTest.h"
#include "app/core/TestLog.h"
#include "app/gui/ReportList.h"

class QProgressBar;
class QPushButton;

namespace vk::gui {

class TfrmTest : public QDialog {
  Q_OBJECT

 public:
  // Gives the tester the owner's answers to the engine's questions (passwords, volumes,
  // errors). The window then sets its own status, damaged-header and progress handlers.
  using TAttachHandlers = app::TTesterSetup;

  // `type` is what the owner knows the archive to be; a type the engine cannot test gets
  // a note instead of a test.
  TfrmTest(const QString& archive, qel::TArcType type, TAttachHandlers attach = {},
           QWidget* parent = nullptr);

  bool Finished() const { return finished_; }
  int OkCount() const { return log_.OkCount(); }
  int FailedCount() const { return log_.FailedCount(); }
  std::vector<TReportLine> Lines() const { return list_->Lines(); }

 protected:
  void showEvent(QShowEvent* event) override;
  // While the test runs, Escape and the window's close button cancel it instead.
  void reject() override;
  void done(int result) override;

 private:
  void RunTest();
  void AddLines(const std::vector<app::TItemInfo>& lines);

  QString archive_;
  qel::TArcType type_;
  TAttachHandlers attach_;
  app::TTestLog log_;
  TReportList* list_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* close_ = nullptr;
  QPushButton* cancel_ = nullptr;
  app::TArchiveTest test_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace vk::gui

// The message and input boxes, the error list, the progress window and the ratio bar,
// offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/ErrorList.h"
#include "app/gui/MessageBox.h"
#include "app/gui/ProgressWindow.h"
#include "app/gui/RarBar.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

using qel::test::TestFolder;

QAbstractButton* ButtonWithText(QWidget* window, const QString& text) {
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
    if (button->text() == text) return button;
  return nullptr;
}

class ReportingWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = std::make_unique<app::TAppSettings>(QString::fromStdString(folder_.Path()) +
                                                    "/Settings.ini");
    app::UseAppSettings(settings_.get());
    language_ = app::ActiveLanguagePath();
    app::LoadLanguage(app::StartLanguagePath({}));
  }
  void TearDown() override {
    app::LoadLanguage(language_);
    app::UseAppSettings(nullptr);
  }
  // Runs `act` on the next modal window that opens.
  void OnModal(std::function<void(QWidget*)> act) {
    modal_.emplace(std::vector<test::TStep>{test::Do(std::move(act))});
  }
  std::optional<test::TModalSteps> modal_;
  TestFolder folder_;
  std::unique_ptr<app::TAppSettings> settings_;
  QString language_;
};

TEST_F(ReportingWindowsTest, MessageBoxSpeaksTheLanguageAndAnswersThePressedButton) {
  struct Case {
    TMsgDlgType kind;
    app::TBoxWord caption;
    TMsgDlgBtn press;
    TModalResult result;
  } cases[] = {{mtWarning, app::TBoxWord::Warning, mbNo, mrNo},
               {mtConfirmation, app::TBoxWord::Confirmation, mbYesToAll, mrYesToAll},
               {mtError, app::TBoxWord::Error, mbCancel, mrCancel}};
  for (const Case& c : cases) {
    QString title;
    QStringList texts;
    OnModal([&](QWidget* box) {
      title = box->windowTitle();
      for (QAbstractButton* b : box->findChildren<QAbstractButton*>()) texts << b->text();
      const app::TBoxWord word = c.press == mbNo         ? app::TBoxWord::No
                                 : c.press == mbYesToAll ? app::TBoxWord::YesToAll
                                                         : app::TBoxWord::Cancel;
      ButtonWithText(box, app::BoxWord(word))->click();
    });
    EXPECT_EQ(MessageBox("text", c.kind, {mbYes, mbNo, mbYesToAll, mbCancel}), c.result);
    EXPECT_EQ(title, app::BoxWord(c.caption));
    for (app::TBoxWord word :
         {app::TBoxWord::Yes, app::TBoxWord::No, app::TBoxWord::YesToAll, app::TBoxWord::Cancel})
      EXPECT_TRUE(texts.contains(app::BoxWord(word))) << app::BoxWord(word).toStdString();
  }
  // Escape answers Cancel, or No without a Cancel button.
  OnModal([](QWidget* box) { box->close(); });
  EXPECT_EQ(MessageBox("text", mtInformation, {mbYes, mbNo}), mrNo);
}

TEST_F(ReportingWindowsTest, InputBoxGivesTheEditedTextOnlyOnOk) {
  QString text = "*";
  OnModal([](QWidget* box) {
    box->findChild<QLineEdit*>("Edit")->setText("*.txt");
    box->findChild<QPushButton*>("OKButton")->click();
  });
  EXPECT_TRUE(InputBox("Filter", "Mask:", text));
  EXPECT_EQ(text, "*.txt");
  OnModal([](QWidget* box) {
    box->findChild<QLineEdit*>("Edit")->setText("other");
    box->findChild<QPushButton*>("CancelButton")->click();
  });
  EXPECT_FALSE(InputBox("Filter", "Mask:", text));
  EXPECT_EQ(text, "*.txt");
}

TEST_F(ReportingWindowsTest, ErrorListCountsSavesAsUtf8AndClears) {
  TfrmErrors errors;
  errors.ReportError("CRC error: \"a.txt\"");
  errors.ReportError("Bad header: \"\u00e4\u00f6\u00fc.txt\"");
  EXPECT_TRUE(errors.isVisible());
  EXPECT_EQ(errors.findChild<QLabel*>("lbCount")->text(), "2");
  const QString file = QString::fromStdString(folder_.Path()) + "/errors.txt";
  ASSERT_TRUE(errors.SaveTo(file));
  QFile saved(file);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(saved.readAll()),
            "CRC error: \"a.txt\"\nBad header: \"\u00e4\u00f6\u00fc.txt\"\n");
  errors.CloseList();
  EXPECT_FALSE(errors.isVisible());
  EXPECT_EQ(errors.Count(), 0);
  EXPECT_EQ(errors.findChild<QLabel*>("lbCount")->text(), "0");
  EXPECT_TRUE(settings_->ReadFile().HasSection("frmErrors"));  // its place is kept
}

TEST_F(ReportingWindowsTest, ProgressWindowTextsCancelAndBackground) {
  TfrmProgress progress;
  int cancelled = 0;
  progress.OnCancel = [&] { ++cancelled; };
  progress.Mode = 1;
  progress.BeginFile("a.txt");
  EXPECT_EQ(progress.findChild<QLabel*>("lbFileName")->text(), app::Message(555) + " a.txt");
  for (auto [percent, image] : {std::pair{9, 0}, {10, 1}, {49, 2}, {70, 4}, {100, 5}}) {
    progress.SetPercentage(percent);
    EXPECT_EQ(progress.TrayImage(), image) << percent;
  }
  // Cancel asks first; No leaves the operation running.
  OnModal([](QWidget* box) { ButtonWithText(box, app::BoxWord(app::TBoxWord::No))->click(); });
  progress.findChild<QPushButton*>("bnCancel")->click();
  EXPECT_EQ(cancelled, 0);
  OnModal([](QWidget* box) { ButtonWithText(box, app::BoxWord(app::TBoxWord::Yes))->click(); });
  progress.findChild<QPushButton*>("bnCancel")->click();
  EXPECT_EQ(cancelled, 1);
  // Background is remembered for this run only; without a tray the window is minimised.
  progress.show();
  progress.GoBackground();
  EXPECT_TRUE(settings_->BackgroundMode);
  progress.Restore();
  EXPECT_FALSE(settings_->BackgroundMode);
  EXPECT_FALSE(settings_->ReadFile().Value("Main", "BackgroundMode").has_value());
}

TEST(RarBar, PercentageOfTheRangeAndSchemes) {
  TRarBar bar;
  struct {
    int min, max, progress, percent;
  } cases[] = {{0, 100, 0, 0},   {0, 100, 55, 55}, {0, 100, 150, 100},
               {10, 20, 15, 50}, {5, 5, 5, 0},     {0, 200, -3, 0}};
  for (const auto& c : cases) {
    bar.Min = c.min;
    bar.Max = c.max;
    bar.SetProgress(c.progress);
    EXPECT_EQ(bar.Percentage(), c.percent) << c.min << ".." << c.max << " " << c.progress;
  }
  bar.SetColorScheme(rcAcid);
  const QColor acid = bar.FilledColor;
  bar.SetColorScheme(rcLightBlue);
  EXPECT_NE(bar.FilledColor, acid);
  EXPECT_EQ(bar.ColorScheme(), rcLightBlue);
  bar.resize(bar.sizeHint());
  EXPECT_FALSE(bar.grab().isNull());
}

}  // namespace
}  // namespace vk::gui

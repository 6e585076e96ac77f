// The Tools menu's dialogs, offscreen: split and merge round trip through their OK buttons,
// conversion in list mode leaves an archive already of the type alone, the sizes the split
// dialog offers, and the encode dialog's choices following the encoding.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <filesystem>
#include <iostream>
#include <tuple>

#include "app/gui/ConvertDialog.h"
#include "app/gui/SplitDialogs.h"
#include "app/gui/UUEncodeDialog.h"
#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/app/support/ScratchSettings.h"

namespace vk::gui {
namespace {

namespace fs = std::filesystem;
using test::Box;
using test::TModalSteps;

class ToolDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!qel::test::RequireTool("zip")) GTEST_SKIP();
    std::string random(200000, 0);
    uint32_t seed = 1;
    for (char& c : random) c = char((seed = seed * 1103515245 + 12345) >> 16);
    qel::test::WriteFileText(Dir() + "/src/a.bin", random);
    ASSERT_TRUE(qel::test::RunToolOk({"zip", "-q", "-r", "one.zip", "src"}, Dir()));
  }
  std::string Dir() const { return settings_.Folder().Path(); }
  QString Q(const std::string& name) const { return QString::fromStdString(Dir() + "/" + name); }

  test::TScratchSettings settings_;
  app::TTerminalPrompter prompter_{app::TTerminalOptions{}, std::cin, std::cerr};
  app::TEnginePrompts prompts_{prompter_};
};

TEST_F(ToolDialogs, SplitAndMergeRoundTrip) {
  QStringList texts;
  {
    TFormSplit split(Q("one.zip"), prompts_, nullptr);
    split.findChild<QComboBox*>("cbSize")->setCurrentIndex(0);  // Custom
    split.findChild<QSpinBox*>("seCustomSize")->setValue(64);   // in KB, the default unit
    EXPECT_EQ(split.PartBytes(), 65536);
    split.findChild<QSpinBox*>("seCustomSize")->setValue(3000000);
    EXPECT_EQ(split.PartBytes(), int64_t(3000000) * 1024) << "beyond 32 bits";
    split.findChild<QSpinBox*>("seCustomSize")->setValue(64);
    // The set's name is the archive's: it becomes one_spanned.zip.
    TModalSteps steps({Box(texts)});
    split.findChild<QPushButton*>("bbOK")->click();
  }
  ASSERT_EQ(texts.size(), 1);
  EXPECT_TRUE(texts[0].contains("one_spanned.zip")) << texts[0].toStdString();
  EXPECT_TRUE(fs::exists(Dir() + "/one_spanned.z03"));
  {
    TFormMerge merge(Q("one_spanned.zip"), prompts_, nullptr);
    TModalSteps steps({Box(texts)});
    merge.findChild<QPushButton*>("bbOK")->click();
  }
  EXPECT_TRUE(texts.last().contains("one_spanned_merged.zip")) << texts.last().toStdString();
  EXPECT_EQ(qel::test::ReadFileBytes(Dir() + "/one_spanned_merged.zip"),
            qel::test::ReadFileBytes(Dir() + "/one.zip"));
}

TEST_F(ToolDialogs, ConvertListLeavesAnArchiveOfTheTypeAlone) {
  fs::copy_file(Dir() + "/one.zip", Dir() + "/two.jar");
  const qel::test::Bytes zip = qel::test::ReadFileBytes(Dir() + "/one.zip");
  TfrmConvert convert({}, {Q("one.zip"), Q("two.jar")}, prompts_, nullptr);
  QComboBox* type = convert.findChild<QComboBox*>("cbOutType");
  type->setCurrentIndex(type->findText("ZIP (.zip)"));
  QStringList texts;
  {
    TModalSteps steps({Box(texts)});
    convert.findChild<QPushButton*>("bbOK")->click();
  }
  EXPECT_EQ(convert.Failed(), 1);
  EXPECT_EQ(texts, QStringList{app::Message(470)});
  EXPECT_EQ(qel::test::ReadFileBytes(Dir() + "/one.zip"), zip);
  EXPECT_TRUE(fs::exists(Dir() + "/two.zip"));
}

// The destination follows the encoding, the UU/XX choices switch off for Base64, OK waits
// for a destination, and OK writes the text.
TEST_F(ToolDialogs, EncodeDialogFollowsTheEncoding) {
  TfrmUUEncode encode(Q("one.zip"), prompts_, nullptr);
  auto* destination = encode.findChild<QLineEdit*>("edDestination");
  auto* methods = encode.findChild<QButtonGroup*>();
  EXPECT_EQ(destination->text(), Q("one.uue"));
  for (const auto& [id, name, uuChoices] :
       {std::tuple{2, "one.mim", false}, std::tuple{1, "one.xxe", true}}) {
    methods->button(id)->click();
    EXPECT_EQ(destination->text(), Q(name));
    EXPECT_EQ(encode.findChild<QComboBox*>("cbVolumeSize")->isEnabled(), uuChoices);
    EXPECT_EQ(encode.findChild<QCheckBox*>("cbWriteTable")->isEnabled(), uuChoices);
  }
  destination->clear();
  EXPECT_FALSE(encode.findChild<QPushButton*>("bbOK")->isEnabled());
  destination->setText(Q("sent.xxe"));
  encode.findChild<QPushButton*>("bbOK")->click();
  EXPECT_EQ(qel::test::ReadFileText(Dir() + "/sent.xxe").substr(0, 9), "XXEncode ");
}

}  // namespace
}  // namespace vk::gui

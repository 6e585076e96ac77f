// What the entry lists show: column texts, the date rule, type names and marked names.
#include <gtest/gtest.h>

#include <QDate>
#include <limits>

#include "app/core/ColumnFormat.h"
#include "app/core/FileTypes.h"
#include "app/core/MarkedNames.h"
#include "engine/base/DateTime.h"

namespace vk::app {
namespace {

constexpr int64_t kGiB = int64_t(1) << 30;

TEST(ArchiveViewFormat, ThousandsAndCrc) {
  const std::pair<int64_t, const char*> numbers[] = {
      {0, "0"},          {999, "999"},
      {1000, "1,000"},   {5 * kGiB, "5,368,709,120"},
      {-1234, "-1,234"}, {std::numeric_limits<int64_t>::min(), "-9,223,372,036,854,775,808"}};
  for (const auto& [value, text] : numbers) EXPECT_EQ(FormatThousands(value), text) << value;
  EXPECT_EQ(CrcText(0x0000ABCD), "0000ABCD");
  EXPECT_EQ(CrcText(0xFFFFFFFF), "FFFFFFFF");
}

TEST(ArchiveViewFormat, ModifiedLeavesOutZoneAndMidnight) {
  const double midnight = qel::EncodeDateTime(2024, 3, 5, 0, 0, 0);
  const double afternoon = qel::EncodeDateTime(2024, 3, 5, 13, 4, 5);
  const QLocale locales[] = {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                             QLocale(QLocale::English, QLocale::UnitedStates)};
  for (const QLocale& locale : locales) {
    SCOPED_TRACE(locale.name().toStdString());
    const QString date = locale.toString(QDate(2024, 3, 5), QLocale::ShortFormat);
    EXPECT_EQ(FormatModified(0, locale), "0");
    EXPECT_EQ(FormatModified(midnight, locale), date);
    const QString text = FormatModified(afternoon, locale);
    EXPECT_TRUE(text.startsWith(date + ' ')) << text.toStdString();
    EXPECT_TRUE(text.contains(":04:05")) << text.toStdString();
    // No zone name or offset after the time.
    EXPECT_TRUE(text.endsWith("05") || text.endsWith("PM")) << text.toStdString();
  }
  EXPECT_TRUE(FormatModified(afternoon, QLocale::c()).endsWith(" 13:04:05"));
}

TEST(ArchiveViewFormat, ColumnTextsOfFileAndFolderRows) {
  TShellItem file;
  file.Name = "C++";
  file.Encrypted = true;
  file.FileType = "Text";
  file.Modified = qel::EncodeDateTime(2020, 1, 2, 0, 0, 0);
  file.Size = 5 * kGiB;
  file.Packed = 3 * kGiB;
  file.Ratio = 40;
  file.CRC = 0x1A2B3C4D;
  file.Attributes = "A";
  file.Folder = "src/";
  TShellItem folder;
  folder.Kind = TShellItem::kFolder;
  folder.Name = "sub";
  folder.Attributes = "D";
  folder.Folder = "src/sub/";
  const QLocale c = QLocale::c();
  const QString date = c.toString(QDate(2020, 1, 2), QLocale::ShortFormat);
  const QStringList fileTexts = {"C+++",          "Text",     date, "5,368,709,120", "40%",
                                 "3,221,225,472", "1A2B3C4D", "A",  "src/"};
  const QStringList folderTexts = {"sub", "Folder", "", "", "", "", "", "D", "src/sub/"};
  for (int column = 0; column < kColumnCount; ++column) {
    EXPECT_EQ(ColumnText(file, column, c), fileTexts[column]) << column;
    EXPECT_EQ(ColumnText(folder, column, c), folderTexts[column]) << column;
  }
}

TEST(ArchiveViewFormat, FileTypeNames) {
  TFileTypeNames types;
  EXPECT_EQ(types.For("Makefile"), "File");
  EXPECT_EQ(types.For("trailing."), "File");
  EXPECT_EQ(types.For("a.Qzxv"), "QZXV File");
  EXPECT_EQ(types.For("b.qzxv"), "QZXV File");
  const QString text = types.For("notes.txt");
  EXPECT_FALSE(text.isEmpty());
  EXPECT_NE(text, "TXT File");
  // One type per extension: a whole-name pattern does not leak into other names.
  EXPECT_EQ(types.For("CMakeLists.txt"), text);
  EXPECT_EQ(types.For("OTHER.TXT"), text);
  EXPECT_EQ(types.For("photo.2023.txt"), text);
}

TEST(ArchiveViewFormat, MarkedNamesAndSetupCheck) {
  const std::pair<const char*, TNameKind> names[] = {
      {"ReadMe.txt", TNameKind::Readme}, {"README.DOC", TNameKind::Readme},
      {"readme.md", TNameKind::Other},   {"Setup.Msi", TNameKind::Setup},
      {"INSTALL.EXE", TNameKind::Setup}, {"install.com", TNameKind::Program},
      {"tool.exe", TNameKind::Program},  {"exe", TNameKind::Other}};
  for (const auto& [name, kind] : names) EXPECT_EQ(NameKind(name), kind) << name;
  auto store = [](std::initializer_list<const char*> names) {
    TShellItemStore files;
    for (const char* name : names) files.Add().Name = name;
    return files;
  };
  EXPECT_TRUE(HasSetupFile(store({"readme.txt", "setup.EXE"})));
  EXPECT_FALSE(HasSetupFile(store({"readme.txt", "setup.exe.bak", "tool.exe"})));
}

}  // namespace
}  // namespace vk::app

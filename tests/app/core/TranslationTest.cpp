#include "app/core/Translation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringEncoder>

#include "app/core/AboutText.h"
#include "engine/base/Version.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

using qel::test::TestFolder;

// Every test leaves the language that was active before it.
class TranslationTest : public ::testing::Test {
 protected:
  void SetUp() override { before_ = ActiveLanguagePath(); }
  void TearDown() override { LoadLanguage(before_); }

  QString Folder() const { return QString::fromStdString(folder_.Path()); }
  QString Write(const QString& name, const QByteArray& bytes) const {
    const QString path = Folder() + '/' + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }

  TestFolder folder_;
  QString before_;
};

TEST_F(TranslationTest, LookupRules) {
  struct Case {
    const char* value;
    QString expected;
  };
  const Case cases[] = {
      {"Plain text", "Plain text"},
      {"", kNoTranslation},
      {"one*|*two*|*three", "one\r\ntwo\r\nthree"},
      {"*|*first line", "first line"},
      {"*|**|*first line", "first line"},
      {"a*|**|*b", "a\r\n\r\nb"},
      {"ends*|*", "ends\r\n"},
      {"About vorel, VOREL and Vorel's", "About Vorelkit, Vorelkit and Vorelkit's"},
      {"Vorelkit and VORELKIT stay", "Vorelkit and VORELKIT stay"},
      {"%d files; \"%s\", 50% = x", "%d files; \"%s\", 50% = x"},
  };
  QByteArray text = "[Messages]\n";
  for (size_t i = 0; i < std::size(cases); ++i)
    text += QByteArray::number(int(100 + i)) + '=' + cases[i].value + '\n';
  ASSERT_TRUE(LoadLanguage(Write("Test.lng", text)));
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Message(int(100 + i)), cases[i].expected) << cases[i].value;
  EXPECT_EQ(Message(99), kNoTranslation);
  EXPECT_EQ(Translate("messages", "100"), "Plain text");  // names ignore case
  EXPECT_EQ(Translate("Other", "100"), kNoTranslation);
}

TEST(MessageFormat, PlaceholdersTakeTheValuesInOrder) {
  EXPECT_EQ(FormatMessage("View with %s", {"gedit"}), "View with gedit");
  EXPECT_EQ(FormatMessage("%d files in %s", {"3", "a%sb"}), "3 files in a%sb");
  EXPECT_EQ(FormatMessage("100%% of %s and %s", {"x"}), "100% of x and %s");
}

TEST_F(TranslationTest, MissingFileDropsTheLanguage) {
  ASSERT_TRUE(LoadLanguage(Write("Test.lng", "[Messages]\nYes=&Yes\n[Info]\nLanguage=Test\n")));
  EXPECT_EQ(BoxWord(TBoxWord::Yes), "&Yes");
  EXPECT_TRUE(AboutTranslationText().has_value());

  const QString missing = Folder() + "/Missing.lng";
  EXPECT_FALSE(LoadLanguage(missing));
  EXPECT_EQ(ActiveLanguagePath(), missing);
  EXPECT_EQ(ActiveLanguageFile(), nullptr);
  EXPECT_EQ(BoxWord(TBoxWord::Yes), kNoTranslation);
  EXPECT_FALSE(AboutTranslationText().has_value());
}

TEST_F(TranslationTest, ReadsUtf8AndUtf16Files) {
  const QString text = QString::fromUtf8("[Messages]\r\n100=Grüße aus Vorel\r\n");
  const QString expected = QString::fromUtf8("Grüße aus Vorelkit");
  QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
  const QByteArray files[] = {text.toUtf8(), "\xEF\xBB\xBF" + text.toUtf8(), utf16(text)};
  for (const QByteArray& bytes : files) {
    ASSERT_TRUE(LoadLanguage(Write("Test.lng", bytes)));
    EXPECT_EQ(Message(100), expected) << bytes.toHex().left(8).constData();
  }
}

TEST_F(TranslationTest, AboutTextTakesInfoWithDefaults) {
  ASSERT_TRUE(LoadLanguage(Write("Test.lng",
                                 "[Messages]\n1120=Language:\n1130=Translation:\n1140=Version:\n"
                                 "[Info]\nLanguage=Deutsch\nTranslation=\n")));
  EXPECT_EQ(AboutTranslationText().value_or(""),
            "Language: Deutsch\r\nTranslation: The Vorelkit developers\r\nVersion: 4.1");
  // Help, About: the program and what it runs on come first, then the translation.
  const QString about = AboutText();
  EXPECT_TRUE(about.startsWith("Vorelkit " + QString::fromStdString(qel::ProgramVersion()) + '\n'))
      << about.toStdString();
  for (const QString& library :
       {QStringLiteral("Qt ") + qVersion(), QStringLiteral("zlib 1."), QStringLiteral("libbz2 1.")})
    EXPECT_TRUE(about.contains(library)) << library.toStdString();
  EXPECT_TRUE(about.endsWith("\n\n" + *AboutTranslationText()));
}

TEST_F(TranslationTest, LanguageListAndChoices) {
  for (const char* name : {"b.lng", "A.lng", "c.LNG", "notes.txt", "d.lng.bak"})
    Write(name, "[Info]\n");
  QDir(Folder()).mkdir("e.lng");
  QStringList names;
  for (const TLanguageEntry& language : ListLanguages(Folder())) {
    names << language.name;
    EXPECT_TRUE(QFile::exists(language.path)) << language.path.toStdString();
  }
  EXPECT_EQ(names, QStringList({"A", "b", "c"}));

  const QString english = QDir::cleanPath(Folder() + "/English.lng");
  EXPECT_EQ(StartLanguagePath("b.lng", Folder()), QDir::cleanPath(Folder() + "/b.lng"));
  EXPECT_EQ(StartLanguagePath("", Folder()), english);
  EXPECT_EQ(StartLanguagePath("Missing.lng", Folder()), english);
  EXPECT_EQ(StartLanguagePath("e.lng", Folder()), english);  // a folder is no language file
  // The chooser lists names; its choice is the file behind the name, whatever its case.
  EXPECT_EQ(ChooserLanguagePath(" c ", Folder()), QDir::cleanPath(Folder() + "/c.LNG"));
  EXPECT_EQ(LanguageFileSetting(ChooserLanguagePath("c", Folder())), "c.LNG");
}

// The shipped English file has a text for every message the program asks for. Code asks
// for numbered messages only as Message(<number>), so the numbers can be found in the
// sources.
TEST_F(TranslationTest, EnglishFileHasEveryMessageTheProgramUses) {
  TIniFile english;
  ASSERT_TRUE(english.Load(VK_SOURCE_DIR "/data/Languages/English.lng"));
  const auto hasText = [&english](const QString& key) {
    return !english.ReadString("Messages", key, "").isEmpty();
  };

  const QRegularExpression call(R"(\bMessage\(([^)]*)\))");
  const QRegularExpression number(R"(^\s*\d+\s*$)");
  QSet<int> used;
  QDirIterator sources(VK_SOURCE_DIR "/app", {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
  while (sources.hasNext()) {
    const QString path = sources.next();
    if (path.contains("/app/core/Translation.")) continue;  // the declaration itself
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    for (const auto& match : call.globalMatch(text)) {
      const QString argument = match.captured(1);
      if (number.match(argument).hasMatch())
        used.insert(argument.trimmed().toInt());
      else
        ADD_FAILURE() << path.toStdString() << ": Message(" << argument.toStdString()
                      << ") asks for a message by a number that is not written out";
    }
  }
  for (int n : used) EXPECT_TRUE(hasText(QString::number(n))) << "message " << n;

  // The messages the program's windows and commands are built to use.
  const int required[] = {
      100,  101,  150,  160,  170,  180,  200,  210,  220,  250,  260,  270,  280,  290,  300,
      310,  350,  355,  360,  370,  380,  385,  386,  390,  395,  396,  400,  410,  420,  430,
      440,  460,  465,  470,  475,  480,  485,  490,  500,  505,  510,  520,  530,  540,  550,
      555,  560,  600,  610,  620,  630,  640,  650,  660,  670,  680,  690,  700,  705,  710,
      720,  730,  740,  750,  760,  770,  775,  780,  785,  786,  787,  788,  789,  790,  800,
      810,  820,  830,  840,  850,  860,  870,  880,  885,  890,  900,  910,  920,  925,  930,
      935,  960,  980,  990,  991,  993,  994,  995,  1000, 1010, 1020, 1030, 1035, 1040, 1050,
      1070, 1100, 1101, 1110, 1111, 1120, 1130, 1140, 1150, 1155, 1160, 1165, 1170, 1190, 1200,
      1240, 1250, 1260, 1270, 1280, 1290, 1300, 1310, 1320, 1330};
  for (int n : required) EXPECT_TRUE(hasText(QString::number(n))) << "message " << n;
  for (TBoxWord word : kAllBoxWords) EXPECT_TRUE(hasText(BoxWordKey(word))) << "word";
  for (const char* key : {"Language", "Translation", "Version"})
    EXPECT_FALSE(english.ReadString("Info", key, "").isEmpty()) << key;
}

}  // namespace
}  // namespace vk::app

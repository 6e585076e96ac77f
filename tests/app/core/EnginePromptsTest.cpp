// The answers to the engine's questions, given through a scripted prompter to real engine
// components: which files an extraction or an update touches after each answer, what is
// remembered for the rest of a run, and that a closed box always stops or keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/prompts/EnginePrompts.h"
#include "engine/base/Messages.h"
#include "formats/zip/UnZip.h"
#include "formats/zip/ZipWriter.h"
#include "tests/app/core/ScriptedPrompter.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

namespace fs = std::filesystem;
using qel::test::ReadFileBytes;
using qel::test::TestFolder;
using qel::test::WriteFileText;
using test::TScriptedPrompter;

const std::vector<std::string> kNames = {"a.txt", "b.txt", "c.txt", "d.txt"};

std::string Text(const std::string& path) {
  const qel::test::Bytes b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

void WriteAll(const std::string& folder, const std::string& content) {
  fs::create_directories(folder);
  for (const std::string& n : kNames) WriteFileText(folder + "/" + n, content + n);
}

// Which of kNames in `folder` hold `content` + name: "1" for yes, in kNames order.
std::string Holding(const std::string& folder, const std::string& content) {
  std::string pattern;
  for (const std::string& n : kNames) pattern += Text(folder + "/" + n) == content + n ? '1' : '0';
  return pattern;
}

// A writer on `archive` storing the files of `source` under their names, in kNames order.
struct TWriter {
  qel::TZip zip;
  TWriter(const std::string& archive, const std::string& source, const std::string& temp) {
    zip.SetArchiveFile(archive);
    zip.StoredDirNames = qel::TStoredDirNames::sdExplorer_UserDefineDefaultDir;
    zip.DefaultDir = source;
    zip.SetTempDir(temp);
    for (const std::string& n : kNames) zip.FileSpec.push_back(source + "/" + n);
  }
};

class EnginePrompts : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "tmp");
    WriteAll(dir / "src", "new-");
  }
  void MakeArchive(const std::string& password = "") {
    TWriter w(archive, dir / "src", dir / "tmp");
    if (!password.empty()) w.zip.SetPassword(password);
    ASSERT_EQ(w.zip.Compress(), int(kNames.size()));
  }
  // One extraction command into `out` with a new reader; answers the entries extracted.
  int Extract(const std::string& out) {
    qel::TUnZip reader;
    prompts.AttachReader(reader);
    reader.OnError = [this](qel::TZipCommon&, const std::string&, const std::string&,
                            const std::string&, int) {
      ++errors;
      prompts.ForgetPassword();
    };
    reader.SetArchiveFile(archive);
    reader.SetExtractDir(out);
    reader.ConfirmOverwrites = true;
    reader.OverwriteMode = qel::TOverwriteMode::omOverwrite;
    prompts.BeginExtraction();
    return reader.Extract();
  }
  int Update(bool secondPass = false) {
    TWriter w(archive, dir / "src", dir / "tmp");
    prompts.AttachWriter(w.zip);
    w.zip.OnActivate = [&](qel::TZipCommon&) { prompts.WriterActivated(secondPass); };
    return w.zip.Compress();
  }

  TestFolder folder;
  fs::path dir = folder.Path();
  std::string archive = dir / "a.zip";
  TScriptedPrompter prompter;
  TEnginePrompts prompts{prompter};
  int errors = 0;
};

TEST_F(EnginePrompts, ExistingTargetsFollowTheAnswersForOneExtraction) {
  MakeArchive();
  using R = TReplaceReply;
  struct Row {
    std::vector<R> script;
    size_t asked;
    std::string replaced;
  } rows[] = {
      {{R{TAnswer::Yes, {}}, R{TAnswer::No, {}}, R{TAnswer::Yes, {}}, R{TAnswer::No, {}}},
       4,
       "1010"},
      {{R{TAnswer::No, {}}, R{TAnswer::YesToAll, {}}}, 2, "0111"},
      {{R{TAnswer::Yes, {}}, R{TAnswer::NoToAll, {}}}, 2, "1000"},
      {{R{TAnswer::Cancel, {}}}, 4, "0000"},  // a closed box keeps the file
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.replaced);
    const std::string out = dir / ("out" + row.replaced);
    WriteAll(out, "old-");
    prompter.Asked.clear();
    prompter.Replies.assign(row.script.begin(), row.script.end());
    Extract(out);
    EXPECT_EQ(prompter.Asked.size(), row.asked);
    EXPECT_EQ(Holding(out, "new-"), row.replaced);
    std::string kept = row.replaced;
    for (char& c : kept) c = c == '1' ? '0' : '1';
    EXPECT_EQ(Holding(out, "old-"), kept);
    // The next extraction asks about every file again.
    WriteAll(out, "old-");
    prompter.Asked.clear();
    Extract(out);
    EXPECT_EQ(prompter.Asked.size(), kNames.size());
  }
  EXPECT_EQ(errors, 0);
}

TEST_F(EnginePrompts, ReplaceQuestionShowsBothFilesAndMayRename) {
  MakeArchive();
  const std::string out = dir / "out";
  WriteAll(out, "old-");
  prompter.Replies = {{TAnswer::Yes, "renamed.txt"}};
  Extract(out);
  ASSERT_FALSE(prompter.ReplaceQuestions.empty());
  const TReplaceQuestion& q = prompter.ReplaceQuestions[0];
  EXPECT_EQ(q.Kind, TReplaceKind::ExtractTarget);
  EXPECT_EQ(q.Existing.Name, out + "/a.txt");
  EXPECT_EQ(q.Existing.Size, 9);
  EXPECT_EQ(q.Incoming.Name, "a.txt");
  EXPECT_EQ(q.Incoming.Size, 9);
  EXPECT_GT(q.Incoming.Time, 0);
  EXPECT_EQ(Text(out + "/renamed.txt"), "new-a.txt");
  EXPECT_EQ(Text(out + "/a.txt"), "old-a.txt");
}

TEST_F(EnginePrompts, PasswordIsAskedOnceAndGivenToLaterComponents) {
  MakeArchive("pw");
  // The error reported for a wrong answer makes the next attempt ask again.
  prompter.Texts = {"bad", "pw"};
  EXPECT_EQ(Extract(dir / "one"), 4);
  EXPECT_EQ(prompter.Asked, (std::vector<std::string>{"password a.txt", "password a.txt"}));
  EXPECT_EQ(prompts.Memory().LastPassword, "pw");

  prompter.Asked.clear();
  EXPECT_EQ(Extract(dir / "two"), 4);
  EXPECT_TRUE(prompter.Asked.empty());
  EXPECT_EQ(Holding(dir / "two", "new-"), "1111");

  // Forgotten (a new archive was opened): asked again, and a cancel extracts nothing.
  prompts.ForgetPassword();
  prompter.Asked.clear();
  errors = 0;
  Extract(dir / "three");
  EXPECT_FALSE(prompter.Asked.empty());
  EXPECT_GT(errors, 0);
  for (const std::string& n : kNames) EXPECT_FALSE(fs::exists(dir / "three" / n));
}

TEST_F(EnginePrompts, ReplacedEntriesFollowTheAnswersUntilTheNextWriterRun) {
  struct Row {
    std::vector<TAnswer> script;
    size_t replaceAsked;
    std::string replaced;
  } rows[] = {
      {{TAnswer::Yes, TAnswer::No, TAnswer::Yes, TAnswer::Cancel}, 4, "1010"},
      {{TAnswer::No, TAnswer::YesToAll}, 2, "0111"},
      {{TAnswer::Yes, TAnswer::NoToAll}, 2, "1000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.replaced);
    fs::remove(archive);
    WriteAll(dir / "src", "old-");
    MakeArchive();
    WriteAll(dir / "src", "newer-");
    prompter.ReplaceQuestions.clear();
    prompter.Asked.clear();
    for (TAnswer a : row.script) prompter.Replies.push_back({a, {}});
    Update();
    EXPECT_EQ(prompter.ReplaceQuestions.size(), row.replaceAsked);
    // Every entry kept is offered a new name, which the closed box declines.
    EXPECT_EQ(prompter.Asked.size() - row.replaceAsked,
              size_t(std::count(row.replaced.begin(), row.replaced.end(), '0')));
    qel::TUnZip check;
    check.SetArchiveFile(archive);
    check.SetExtractDir((dir / ("x" + row.replaced)).string());
    check.Extract();
    EXPECT_EQ(Holding(dir / ("x" + row.replaced), "newer-"), row.replaced);
  }
  // "To all" holds on the second pass of a two-pass add and ends with the next run.
  prompter.Replies = {{TAnswer::YesToAll, {}}};
  WriteAll(dir / "src", "v3-");
  Update();
  prompter.ReplaceQuestions.clear();
  WriteAll(dir / "src", "v44-");
  Update(true);
  EXPECT_TRUE(prompter.ReplaceQuestions.empty());
  WriteAll(dir / "src", "v555-");
  Update();
  EXPECT_EQ(prompter.ReplaceQuestions.size(), kNames.size());
}

TEST_F(EnginePrompts, PutBackReplacesWithoutAskingAndDuplicatesTakeTheEditedName) {
  MakeArchive();
  WriteAll(dir / "src", "again-");
  prompts.SetInteractiveAdd(false);
  Update();
  EXPECT_TRUE(prompter.ReplaceQuestions.empty());

  prompts.SetInteractiveAdd(true);
  WriteAll(dir / "src", "thirdly-");
  prompter.Names = {{TAnswer::Yes, "a2.txt"}, {TAnswer::NoToAll, {}}};
  Update();
  // a.txt kept and stored again as a2.txt; after "Not to All" nobody is asked for a name.
  EXPECT_EQ(std::count_if(prompter.Asked.begin(), prompter.Asked.end(),
                          [](const std::string& q) { return q.starts_with("name "); }),
            2);
  qel::TUnZip check;
  check.SetArchiveFile(archive);
  check.SetExtractDir((dir / "x").string());
  check.Extract();
  EXPECT_EQ(Text(dir / "x/a2.txt"), "thirdly-a.txt");
  EXPECT_EQ(Text(dir / "x/a.txt"), "again-a.txt");
}

TEST_F(EnginePrompts, ReadOnlyArchiveIsLeftAloneUnlessTheUserAgrees) {
  MakeArchive();
  fs::permissions(archive, fs::perms::owner_read | fs::perms::group_read);
  const qel::test::Bytes before = ReadFileBytes(archive);
  WriteAll(dir / "src", "newer-");
  prompts.SetInteractiveAdd(false);
  EXPECT_EQ(Update(), 0);
  EXPECT_EQ(ReadFileBytes(archive), before);
  prompter.Choices = {true};
  EXPECT_EQ(Update(), int(kNames.size()));
  EXPECT_NE(ReadFileBytes(archive), before);
}

TEST_F(EnginePrompts, DamagedHeaderIsAskedAboutOnlyForArchivesOfAHundredBytes) {
  MakeArchive();
  // Cut the central directory and the end record: only the local headers are left.
  qel::test::Bytes z = ReadFileBytes(archive);
  const size_t central = std::search(z.begin(), z.end(), "PK\1\2", "PK\1\2" + 4) - z.begin();
  z.resize(central);
  qel::test::WriteFileBytes(archive, z);
  EXPECT_EQ(Extract(dir / "no"), 0);
  EXPECT_EQ(prompter.Asked, (std::vector<std::string>{"header " + archive}));
  prompter.Choices = {true};
  EXPECT_EQ(Extract(dir / "yes"), int(kNames.size()));

  z.resize(99);
  qel::test::WriteFileBytes(archive, z);
  prompter.Asked.clear();
  Extract(dir / "small");
  EXPECT_TRUE(prompter.Asked.empty());

  // Stopping there is said, so that the archive is not taken for an empty one.
  qel::TUnZip reader;
  prompts.AttachReader(reader);
  reader.SetArchiveFile(archive);
  std::vector<int> codes;
  reader.OnError = [&codes](qel::TZipCommon&, const std::string&, const std::string&,
                            const std::string&, int code) { codes.push_back(code); };
  bool cancel = true;
  reader.OnCorruptZipHeader(reader, {}, cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(codes, std::vector<int>{qel::msg::BadFileHeader});
}

// Each question answered by a closed box: the component is told to stop or to keep.
TEST_F(EnginePrompts, ClosedBoxesStopOrKeep) {
  qel::TUnZip reader;
  qel::TZip writer;
  qel::TZip single;
  prompts.AttachReader(reader);
  prompts.AttachWriter(writer);
  prompts.AttachSingleFileWriter(single);
  single.ConfirmOverwrites = true;
  std::string name = "vol.z02", dirName, newName;
  bool cancel = false;
  qel::TOverwriteMode mode = qel::TOverwriteMode::omOverwrite;

  reader.OnNextVolume(reader, name, 2, false, cancel);
  EXPECT_TRUE(cancel);
  cancel = false;
  reader.OnNextVolume(reader, name, 2, true, cancel);  // it is there: nobody is asked
  EXPECT_FALSE(cancel);
  reader.OnGetZipFirstDisk(reader, cancel);
  EXPECT_TRUE(cancel);
  cancel = false;
  reader.OnGetZipNextDisk(reader, "3", cancel);
  EXPECT_TRUE(cancel);
  cancel = false;
  reader.OnLimitedUser(reader, "/protected", dirName, cancel);
  EXPECT_TRUE(cancel);
  cancel = false;
  writer.OnClearDisk(writer, "/media/disk", cancel, 1000, 10, 100);
  EXPECT_TRUE(cancel);
  cancel = false;
  writer.OnClearDisk(writer, "/media/disk", cancel, 1000, 500, 100);  // room enough
  EXPECT_FALSE(cancel);
  // Too small: a notice, and the writer stops rather than show it again and again.
  writer.OnClearDisk(writer, "/media/disk", cancel, 50, 10, 100);
  EXPECT_TRUE(cancel);
  single.OnFileExists(single, "out.gz", newName, mode);
  EXPECT_EQ(mode, qel::TOverwriteMode::omSkip);
  EXPECT_TRUE(single.Cancel());
  bool members = true;
  prompts.SetAutoTar(false);
  reader.OnNestedTarFile(reader, "a.tar.gz", members);
  EXPECT_FALSE(members);
  prompts.SetAutoTar(true);
  reader.OnNestedTarFile(reader, "a.tar.gz", members);
  EXPECT_TRUE(members);
  EXPECT_EQ(prompter.Asked,
            (std::vector<std::string>{"volume 2 vol.z02", "disk 0", "disk 23", "folder /protected",
                                      "clear /media/disk", "notice 0 /media/disk", "output out.gz",
                                      "tar a.tar.gz"}));

  // The answers that go on: the chosen folder, Yes to All switching confirmation off.
  prompter.Texts = {"/home/me/out"};
  prompter.Outputs = {TAnswer::YesToAll};
  reader.OnLimitedUser(reader, "/protected", dirName, cancel);
  EXPECT_EQ(dirName, "/home/me/out");
  single.OnFileExists(single, "out.gz", newName, mode);
  EXPECT_EQ(mode, qel::TOverwriteMode::omOverwrite);
  EXPECT_FALSE(single.ConfirmOverwrites);
}

}  // namespace
}  // namespace vk::app

// TUnACE against a fake ACE library with the five exports: the records it hands over, every
// callback's answers, the masks, passwords, volumes, renames, verdicts and result codes.
// No library provides ACE here, so without the fake users meet the missing-library message.
#include <fnmatch.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "engine/base/Bytes.h"
#include "engine/base/Libraries.h"
#include "engine/base/Messages.h"
#include "formats/ace/UnAce.h"
#include "tests/engine/list/ListerRun.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;
using namespace unace;

struct TFakeFile {
  std::string name;  // as stored
  std::string data;
  std::string password;    // asked for until given
  bool badCrc = false;     // the library's check fails
  bool error = false;      // the library meets an error of its own before it
  bool newVolume = false;  // the library needs the next volume before this file
};

// What the fake library is scripted with and what it saw; the exports carry no context.
struct TFake {
  std::vector<TFakeFile> files;
  int result = ACE_ERROR_NOERROR;
  std::string missingExport;
  tACEInitDll init{};
  std::string list, dest, password;
  bool excludePath = false;
  std::vector<std::string> trail;  // callbacks and their answers, in order
} fake;

int Call(ACECallback cb, int code, TFakeFile* f, char* buffer, const char* what) {
  tACEFileData file{f ? f->name.c_str() : nullptr,
                    nullptr,
                    f ? f->data.size() : 0,
                    f ? f->data.size() : 0,
                    0,
                    0x5A8E4A21,
                    0x20,
                    f && !f->badCrc};
  tACECallbackData data{fake.init.Owner, code, "x.ace", f ? &file : nullptr, buffer, 256, 0};
  const int answer = cb(&data);
  fake.trail.push_back(std::string(what) + "=" + std::to_string(answer));
  return answer;
}

// The layer cleans names itself: no drive, no "..", no leading separators.
std::string Cleaned(std::string name, bool bare) {
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.size() > 1 && name[1] == ':') name.erase(0, 2);
  std::string out;
  for (size_t at = 0; at <= name.size();) {
    const size_t end = std::min(name.find('/', at), name.size());
    const std::string part = name.substr(at, end - at);
    if (!part.empty() && part != "." && part != "..") out += (out.empty() ? "" : "/") + part;
    at = end + 1;
  }
  return bare ? fs::path(out).filename().string() : out;
}

bool Listed(const std::string& name) {
  for (size_t at = 0; at < fake.list.size();) {
    const size_t end = std::min(fake.list.find('\r', at), fake.list.size());
    if (::fnmatch(fake.list.substr(at, end - at).c_str(), name.c_str(), 0) == 0) return true;
    at = end + 1;
  }
  return false;
}

int Run(bool write) {
  char buffer[256];
  std::string password = fake.password;
  if (Call(fake.init.InfoCallback, 0, nullptr, nullptr, "info") != ACE_CALLBACK_RETURN_OK)
    return ACE_ERROR_USER;
  for (TFakeFile& f : fake.files) {
    if (f.error && Call(fake.init.ErrorCallback, 9, &f, nullptr, "error") != ACE_CALLBACK_RETURN_OK)
      return ACE_ERROR_USER;
    if (f.newVolume) {
      std::strcpy(buffer, "");
      const int a = Call(fake.init.RequestCallback, ACE_CALLBACK_REQUEST_CHANGEVOLUME, nullptr,
                         buffer, "volume");
      if (a != ACE_CALLBACK_RETURN_OK)
        return a == ACE_CALLBACK_RETURN_NO ? ACE_ERROR_OPEN : ACE_ERROR_USER;
      fake.trail.push_back(std::string("opened ") + fs::path(buffer).filename().string());
    }
    if (!Listed(f.name)) continue;
    int a = Call(fake.init.StateCallback, ACE_CALLBACK_STATE_STARTFILE, &f, nullptr, "start");
    if (a == ACE_CALLBACK_RETURN_CANCEL) return ACE_ERROR_USER;
    if (a == ACE_CALLBACK_RETURN_NO) continue;
    bool skip = false;
    while (!f.password.empty() && password != f.password && !skip) {
      std::strcpy(buffer, "");
      a = Call(fake.init.RequestCallback, ACE_CALLBACK_REQUEST_PASSWORD, &f, buffer, "password");
      if (a == ACE_CALLBACK_RETURN_CANCEL) return ACE_ERROR_USER;
      skip = a == ACE_CALLBACK_RETURN_NO;
      password = buffer;
    }
    if (skip) continue;
    const std::string target = fake.dest + Cleaned(f.name, fake.excludePath);
    if (write && fs::exists(target)) {
      a = Call(fake.init.RequestCallback, ACE_CALLBACK_REQUEST_OVERWRITE, &f, nullptr, "overwrite");
      if (a == ACE_CALLBACK_RETURN_CANCEL) return ACE_ERROR_USER;
      if (a == ACE_CALLBACK_RETURN_NO) continue;
    }
    if (write) WriteFileText(target, f.data);
    if (Call(fake.init.StateCallback, ACE_CALLBACK_STATE_ENDFILE, &f, nullptr, "end") ==
        ACE_CALLBACK_RETURN_CANCEL)
      return ACE_ERROR_USER;
  }
  return fake.result;
}

int FakeInit(tACEInitDll* init) {
  fake.init = *init;
  return ACE_ERROR_NOERROR;
}
int FakeTest(const char*, tACETest* t) {
  fake.list = t->Files.FileList;
  fake.password = t->DecryptPassword;
  return Run(false);
}
int FakeExtract(const char*, tACEExtract* x) {
  fake.list = x->Files.FileList;
  fake.password = x->DecryptPassword;
  fake.dest = x->DestinationDir;
  fake.excludePath = x->ExcludePath;
  return Run(true);
}
int FakeUnused(const char*, void*) { return ACE_ERROR_NOERROR; }

void* FakeExport(std::string_view name) {
  if (name == fake.missingExport) return nullptr;
  if (name == "ACEInitDll") return reinterpret_cast<void*>(&FakeInit);
  if (name == "ACETest") return reinterpret_cast<void*>(&FakeTest);
  if (name == "ACEExtract") return reinterpret_cast<void*>(&FakeExtract);
  if (name == "ACEReadArchiveData" || name == "ACEList")
    return reinterpret_cast<void*>(&FakeUnused);
  return nullptr;
}

// An ACE volume whose headers name `files` (the data is not ACE data: the fake decodes).
Bytes AceVolume(const std::vector<TFakeFile>& files, const std::vector<std::string>& folders = {}) {
  const auto header = [](Bytes body) {
    Bytes h(4);
    PutU16(&h[0], uint16_t(~Crc32(0, body.data(), body.size())));
    PutU16(&h[2], uint16_t(body.size()));
    h.insert(h.end(), body.begin(), body.end());
    return h;
  };
  Bytes main(27, 0);
  std::memcpy(&main[3], "**ACE**", 7);
  Bytes out = header(main);
  const auto add = [&](const std::string& name, const std::string& data, uint32_t attr) {
    Bytes body(31, 0);
    body[0] = 1;
    PutU16(&body[1], 0x0001);
    PutU32(&body[3], uint32_t(data.size()));
    PutU32(&body[7], uint32_t(data.size()));
    PutU32(&body[11], 0x5A8E4A21);
    PutU32(&body[15], attr);
    PutU16(&body[29], uint16_t(name.size()));
    body.insert(body.end(), name.begin(), name.end());
    const Bytes h = header(body);
    out.insert(out.end(), h.begin(), h.end());
    out.insert(out.end(), data.begin(), data.end());
  };
  for (const std::string& folder : folders) add(folder, "", 0x10);
  for (const TFakeFile& f : files) add(f.name, f.data, 0x20);
  return out;
}

class UnAce : public ::testing::Test {
 protected:
  void SetUp() override { fake = {}; }
  std::string Archive(const std::vector<TFakeFile>& files,
                      const std::vector<std::string>& folders = {}) {
    fake.files = files;
    WriteFileBytes(dir_ / "x.ace", AceVolume(files, folders));
    return dir_ / "x.ace";
  }
  // Runs the reader into `out` (testing when empty) with the fake bound.
  int Go(const std::string& out, const std::function<void(TUnACE&)>& configure = {}) {
    const TLibraryOverride bound(kLibraryName, &FakeExport);
    TUnACE r;
    r.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&,
                    int code) { errors_.push_back(code); };
    if (configure) configure(r);
    r.SetArchiveFile(dir_ / "x.ace");
    if (out.empty()) return r.Test();
    r.SetExtractDir(out);
    return r.Extract();
  }
  TestFolder dir_;
  TestFolder out_{"out"};
  std::vector<int> errors_;
};

const std::vector<TFakeFile> kFiles = {
    {"a.txt", "alpha"}, {"dir\\b.txt", "beta"}, {"c.bin", "gamma"}};

TEST_F(UnAce, WithoutTheLibraryOrAnExportTheMissingLibraryIsReported) {
  Archive(kFiles);
  TUnACE r;
  r.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&, int code) {
    errors_.push_back(code);
  };
  r.SetArchiveFile(dir_ / "x.ace");
  EXPECT_EQ(r.Test(), 0);
  fake.missingExport = "ACEList";
  EXPECT_EQ(Go(""), 0);
  EXPECT_EQ(errors_, (std::vector<int>{msg::AceLibraryNotLoaded, msg::AceLibraryNotLoaded}));
  EXPECT_TRUE(fake.trail.empty());
}

TEST_F(UnAce, ExtractsEverythingWithTheRecordsFilledIn) {
  Archive(kFiles, {"dir"});
  TUnACE* owner = nullptr;
  EXPECT_EQ(Go(out_.Path(),
               [&](TUnACE& r) {
                 owner = &r;
                 r.CreateStoredDirs = true;
               }),
            4);
  EXPECT_EQ(fake.list, "*");
  EXPECT_FALSE(fake.excludePath);
  EXPECT_EQ(fake.dest, out_.Path() + "/");
  EXPECT_EQ(fake.init.Owner, owner);
  EXPECT_EQ(fake.init.MaxArchiveTestBytes, 0x1FFFFu);
  EXPECT_EQ(fake.init.MaxFileBufSize, 0x2FFFFu);
  EXPECT_EQ(fake.init.CommentBufSize, 8191u);
  EXPECT_EQ(ReadTree(out_.Path()),
            (Tree{{"a.txt", "alpha"}, {"dir/", ""}, {"dir/b.txt", "beta"}, {"c.bin", "gamma"}}));
  EXPECT_TRUE(errors_.empty());
}

// Masks go to the library one per line; the reader also passes over what does not match.
TEST_F(UnAce, MasksAndStoredFolders) {
  Archive(kFiles);
  EXPECT_EQ(Go(out_.Path(),
               [](TUnACE& r) {
                 r.FileSpec = {"*.txt"};
                 r.UseStoredDirs = false;
               }),
            2);
  EXPECT_EQ(fake.list, "*.txt\r");
  EXPECT_TRUE(fake.excludePath);
  EXPECT_EQ(ReadTree(out_.Path()), (Tree{{"a.txt", "alpha"}, {"b.txt", "beta"}}));
}

// The layer's names stay inside the target; a name the user changes is moved there, and the
// folder the library made only for it goes.
TEST_F(UnAce, HostileNamesAndRenames) {
  Archive({{"..\\..\\up.txt", "1"}, {"C:\\abs\\x.txt", "2"}, {"sub/renamed.txt", "3"}});
  EXPECT_EQ(Go(out_.Path(),
               [&](TUnACE& r) {
                 r.OnBegin = [](TZipCommon&, const WideString&, int, bool&) {};
                 r.OnRenameFile = [&](TZipCommon&, const WideString& name, WideString& to) {
                   if (name.ends_with("renamed.txt")) to = out_ / "elsewhere/now.txt";
                 };
               }),
            3);
  EXPECT_EQ(PathsBelow(out_.Path()), (std::set<std::string>{"up.txt", "abs", "abs/x.txt",
                                                            "elsewhere", "elsewhere/now.txt"}));
  EXPECT_EQ(PathsBelow(dir_.Path()), std::set<std::string>{"x.ace"});
}

// A failed check: the file goes, the count drops, and without OnEnd the CRC message says so.
// The library's own errors are reported and cancel; a cancelled run cancels the library.
TEST_F(UnAce, VerdictsAndResultCodes) {
  Archive({{"good.txt", "1"}, {"bad.txt", "2", "", true}});
  EXPECT_EQ(Go(out_.Path()), 1);
  EXPECT_EQ(errors_, std::vector<int>{msg::CrcCheckFailed});
  EXPECT_EQ(PathsBelow(out_.Path()), std::set<std::string>{"good.txt"});
  std::vector<bool> ends;
  errors_.clear();
  EXPECT_EQ(Go("",
               [&](TUnACE& r) {
                 r.OnEnd = [&](TZipCommon&, const WideString&, bool ok) { ends.push_back(ok); };
               }),
            1);
  EXPECT_EQ(ends, (std::vector<bool>{true, false}));
  EXPECT_TRUE(errors_.empty());
  for (const auto& [result, message] :
       std::vector<std::pair<int, int>>{{ACE_ERROR_OPEN, msg::ErrorOpeningFile},
                                        {ACE_ERROR_READ, msg::ErrorReadingFile},
                                        {ACE_ERROR_WRITE, msg::ErrorWritingFile},
                                        {77, msg::UnknownError}}) {
    errors_.clear();
    fake.result = result;
    Go("");
    EXPECT_EQ(errors_.back(), message) << result;
  }
}

TEST_F(UnAce, ErrorAndInfoCallbacksCancel) {
  Archive({{"a.txt", "1"}, {"b.txt", "2", "", false, true}});
  EXPECT_EQ(Go(""), 1);
  EXPECT_EQ(fake.trail, (std::vector<std::string>{"info=0", "start=0", "end=0", "error=2"}));
  EXPECT_EQ(errors_, std::vector<int>{msg::UnknownError});
  fake.trail.clear();
  EXPECT_EQ(Go("",
               [](TUnACE& r) {
                 r.OnBegin = [&r](TZipCommon&, const WideString&, int, bool&) {
                   r.SetCancel(true);
                 };
               }),
            0);
  EXPECT_EQ(fake.trail, (std::vector<std::string>{"info=0", "start=2"}));
}

TEST_F(UnAce, OverwriteRequestsFollowTheOverwriteRule) {
  Archive({{"a.txt", "new"}});
  for (const TOverwriteMode mode : {TOverwriteMode::omSkip, TOverwriteMode::omOverwrite}) {
    WriteFileText(out_ / "a.txt", "old");
    fake.trail.clear();
    Go(out_.Path(), [&](TUnACE& r) { r.OverwriteMode = mode; });
    EXPECT_EQ(ReadFileText(out_ / "a.txt"), mode == TOverwriteMode::omSkip ? "old" : "new");
    const std::vector<std::string> skipped = {"info=0", "start=1"};
    const std::vector<std::string> replaced = {"info=0", "start=0", "overwrite=0", "end=0"};
    EXPECT_EQ(fake.trail, mode == TOverwriteMode::omSkip ? skipped : replaced);
  }
}

// The library writes to the stored name only: a file kept there under another name's
// answer stays, a link there is replaced rather than written through, and only the folders
// the library made are removed after a rename.
TEST_F(UnAce, WhatTheUserKeepsStays) {
  Archive({{"a.txt", "new"}, {"keep/sub/r.txt", "3"}});
  WriteFileText(out_ / "a.txt", "old");
  fs::create_directory(out_ / "keep");
  Go(out_.Path(), [&](TUnACE& r) {
    r.ConfirmOverwrites = true;
    r.OnFileExists = [](TZipCommon&, const WideString&, WideString& to, TOverwriteMode&) {
      to = "a (1).txt";
    };
    r.OnBegin = [](TZipCommon&, const WideString&, int, bool&) {};
    r.OnRenameFile = [&](TZipCommon&, const WideString& name, WideString& to) {
      if (name.ends_with("r.txt")) to = out_ / "else/now.txt";
    };
  });
  EXPECT_EQ(ReadTree(out_.Path()),
            (Tree{{"a.txt", "old"}, {"keep/", ""}, {"else/", ""}, {"else/now.txt", "3"}}));
  EXPECT_EQ(errors_, std::vector<int>{msg::SkippedFile});

  TestFolder elsewhere("elsewhere");
  WriteFileText(elsewhere / "v.txt", "secret");
  ::chmod((elsewhere / "v.txt").c_str(), 0400);
  fs::remove(out_ / "a.txt");
  fs::create_symlink(elsewhere / "v.txt", out_ / "a.txt");
  Go(out_.Path(), [&](TUnACE& r) { r.OverwriteMode = TOverwriteMode::omOverwrite; });
  EXPECT_EQ(ReadFileText(elsewhere / "v.txt"), "secret");
  EXPECT_EQ(fs::status(elsewhere / "v.txt").permissions() & fs::perms::all, fs::perms::owner_read);
  EXPECT_FALSE(fs::is_symlink(out_ / "a.txt"));
  EXPECT_EQ(ReadFileText(out_ / "a.txt"), "new");
}

TEST_F(UnAce, PasswordRequests) {
  Archive({{"s.txt", "secret", "pw"}});
  struct Case {
    const char* what;
    std::vector<std::string> answers;  // "" empty, "!" refusal
    bool assigned;
    std::vector<int> errors;
    int count;
  };
  for (const Case& c :
       std::vector<Case>{{"given", {"pw"}, true, {}, 1},
                         {"wrong, then right", {"no", "pw"}, true, {}, 1},
                         {"refused", {"!"}, true, {msg::InvalidPassword}, 0},
                         {"empty every time", {"", "", ""}, true, {msg::PasswordFailed}, 0},
                         {"nobody to ask", {}, false, {msg::RequiredEventNotAssigned}, 0}}) {
    SCOPED_TRACE(c.what);
    errors_.clear();
    size_t next = 0;
    EXPECT_EQ(Go("",
                 [&](TUnACE& r) {
                   if (!c.assigned) return;
                   r.OnGetPassword = [&](TZipCommon&, const WideString& name, AnsiString& pw,
                                         TSeedKeyRecord&, TSeedKeyRecord&, bool& again) {
                     EXPECT_EQ(name, "s.txt");
                     const std::string a = next < c.answers.size() ? c.answers[next++] : "";
                     again = a != "!";
                     pw = again ? a : "";
                   };
                 }),
              c.count);
    EXPECT_EQ(errors_, c.errors);
  }
}

TEST_F(UnAce, NextVolumeRequests) {
  std::vector<TFakeFile> files = kFiles;
  files[2].newVolume = true;
  Archive(files);
  WriteFileBytes(dir_ / "x.c00", AceVolume({files[2]}));
  struct Case {
    const char* what;
    bool assigned, cancel, present;
    std::string trail;
    int count;
  };
  for (const Case& c : std::vector<Case>{{"found", true, false, true, "volume=0", 3},
                                         {"missing", true, false, false, "volume=1", 2},
                                         {"refused", true, true, true, "volume=2", 2},
                                         {"nobody to ask", false, false, true, "volume=2", 2}}) {
    SCOPED_TRACE(c.what);
    if (!c.present) fs::rename(dir_ / "x.c00", dir_ / "away");
    fake.trail.clear();
    std::vector<std::string> asked;
    EXPECT_EQ(Go("",
                 [&](TUnACE& r) {
                   if (c.assigned)
                     r.OnNextVolume = [&](TZipCommon&, WideString& name, int, bool, bool& cancel) {
                       asked.push_back(fs::path(name).filename());
                       cancel = c.cancel;
                     };
                 }),
              c.count);
    EXPECT_NE(std::find(fake.trail.begin(), fake.trail.end(), c.trail), fake.trail.end());
    if (c.assigned) {
      EXPECT_EQ(asked.at(0), "x.c00");
    }
    if (!c.present) fs::rename(dir_ / "away", dir_ / "x.c00");
  }
}

TEST_F(UnAce, TheListerReadsTheHeadersItself) {
  Archive(kFiles, {"dir"});
  const TListed listed = ListArchive(dir_ / "x.ace");
  EXPECT_EQ(listed.Names(), (std::vector<std::string>{"dir/", "a.txt", "dir/b.txt", "c.bin"}));
  EXPECT_EQ(listed.entries[1].UnpackedSize, 5);
}

}  // namespace
}  // namespace qel::test

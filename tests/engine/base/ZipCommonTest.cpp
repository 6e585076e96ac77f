#include "engine/base/ZipCommon.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/Messages.h"
#include "engine/extract/EntryPassword.h"
#include "tests/engine/base/TestComponent.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel {
namespace {

using test::TestComponent;
using Codes = std::vector<int>;

TEST(ZipCommonErrors, CancelTurnsCodesIntoUserCanceled) {
  test::TestFolder dir;
  test::WriteFileText(dir / "arc.bin", "not an archive");
  TestComponent c;
  c.SetArchiveFile(dir / "arc.bin");
  ASSERT_EQ(c.ArchiveFile(), dir / "arc.bin");
  c.Errors.clear();
  c.FileName = "entry.txt";

  c.DoError("f", "ext", msg::ErrorWritingFile, "vol");
  ASSERT_EQ(c.Errors.size(), 1u);
  EXPECT_EQ(c.Errors[0].FileName, "f");
  EXPECT_EQ(c.Errors[0].ExtendedMsg, "ext");
  EXPECT_EQ(c.Errors[0].VolumeID, "vol");
  EXPECT_EQ(c.Errors[0].ECode, msg::ErrorWritingFile);

  // Setting the flag reports the cancel itself, for the current entry of this archive.
  c.Errors.clear();
  c.SetCancel(true);
  EXPECT_TRUE(c.Cancel());
  ASSERT_EQ(c.Errors.size(), 1u);
  EXPECT_EQ(c.Errors[0].ECode, msg::UserCanceled);
  EXPECT_EQ(c.Errors[0].FileName, "entry.txt");
  EXPECT_EQ(c.Errors[0].VolumeID, dir / "arc.bin");

  c.Errors.clear();
  c.DoError("f", "", msg::ErrorWritingFile, "");
  c.DoError("f", "", msg::AccessPermissions, "");
  c.DoError("f", "", msg::RegistryPermissions, "");
  c.DoError("f", "", msg::RequiredEventNotAssigned, "");
  EXPECT_EQ(c.Codes(), (Codes{25361, 25279, 25280, 25361}));

  // Clearing the flag reports nothing and lets codes through again.
  c.Errors.clear();
  c.SetCancel(false);
  c.DoError("f", "", msg::ErrorWritingFile, "");
  EXPECT_EQ(c.Codes(), (Codes{25136}));
}

TEST(ZipCommonErrors, ReportAndRaise) {
  TestComponent c;
  try {
    c.ReportAndRaise("f", msg::ErrorWritingFile, "ext", "vol");
    FAIL() << "no exception";
  } catch (const E_RAISE& e) {
    EXPECT_STREQ(e.what(), "Error writing to file");
    EXPECT_EQ(e.ECode, msg::ErrorWritingFile);
  }
  ASSERT_EQ(c.Errors.size(), 1u);
  EXPECT_EQ(c.Errors[0].ECode, msg::ErrorWritingFile);
  EXPECT_EQ(c.Errors[0].ExtendedMsg, "ext");

  // After a cancel the operation unwinds without an E_RAISE for anyone to report again.
  c.SetCancel(true);
  c.Errors.clear();
  EXPECT_THROW(c.ReportAndRaise("f", msg::ErrorWritingFile, "", ""), ECancelled);
  EXPECT_EQ(c.Codes(), (Codes{25361}));

  // No OnError: still raises.
  TestComponent quiet;
  quiet.OnError = nullptr;
  EXPECT_THROW(quiet.ReportAndRaise("f", msg::InvalidFileName, "", ""), E_RAISE);
}

// Records the frame's events as they fire.
struct Frame {
  explicit Frame(TestComponent& c) {
    c.OnActivate = [this](TZipCommon&) { events.push_back("activate"); };
    c.OnDeactivate = [this](TZipCommon&) { events.push_back("deactivate"); };
    c.OnElapsedTime = [this](TZipCommon&, float s) {
      events.push_back("elapsed");
      elapsed = s;
    };
  }
  std::vector<std::string> events;
  float elapsed = -1;
};

TEST(ZipCommonOperation, FrameEventsOnEveryExitPath) {
  const std::vector<std::string> kAll = {"activate", "deactivate", "elapsed"};
  TestComponent c;
  Frame frame(c);

  EXPECT_TRUE(c.RunOperation([&] { frame.events.push_back("work"); }));
  EXPECT_EQ(frame.events, (std::vector<std::string>{"activate", "work", "deactivate", "elapsed"}));

  frame.events.clear();
  EXPECT_FALSE(c.RunOperation([&] { c.ReportAndRaise("f", msg::ErrorWritingFile, "", ""); }));
  EXPECT_EQ(frame.events, kAll);

  frame.events.clear();
  EXPECT_FALSE(c.RunOperation([&] {
    c.SetCancel(true);
    c.ReportAndRaise("f", msg::ErrorWritingFile, "", "");
  }));
  EXPECT_EQ(frame.events, kAll);

  // Any other failure (a handler's own) ends the operation reported, never escaping it.
  for (bool standard : {true, false}) {
    frame.events.clear();
    c.Errors.clear();
    EXPECT_FALSE(c.RunOperation([&] {
      if (standard) throw std::runtime_error("boom");
      throw 42;
    }));
    EXPECT_EQ(frame.events, kAll);
    ASSERT_EQ(c.Codes(), (Codes{msg::UnknownError}));
    EXPECT_EQ(c.Errors[0].ExtendedMsg, standard ? "boom" : "");
  }

  // Without OnElapsedTime the rest still fires.
  frame.events.clear();
  c.OnElapsedTime = nullptr;
  EXPECT_TRUE(c.RunOperation([] {}));
  EXPECT_EQ(frame.events, (std::vector<std::string>{"activate", "deactivate"}));
}

TEST(ZipCommonOperation, CancelIsClearedAtTheStart) {
  TestComponent c;
  c.SetCancel(true);
  bool cancelledInside = true;
  EXPECT_TRUE(c.RunOperation([&] { cancelledInside = c.Cancel(); }));
  EXPECT_FALSE(cancelledInside);
  c.Errors.clear();
  c.RunOperation([&] { c.DoError("f", "", msg::ErrorWritingFile, ""); });
  EXPECT_EQ(c.Codes(), (Codes{25136}));
}

// A clock the test moves by hand.
TZipTimer::Clock::time_point gNow;
void Advance(std::chrono::milliseconds step) { gNow += step; }

TEST(ZipCommonOperation, TimeSpentInPromptsIsNotCounted) {
  using namespace std::chrono_literals;
  TestComponent c;
  c.Timer.Now = [] { return gNow; };
  Frame frame(c);
  c.RunOperation([] { Advance(60ms); });
  EXPECT_NEAR(frame.elapsed, 0.06f, 1e-5);

  c.OnError = [](TZipCommon&, const WideString&, const WideString&, const WideString&, int) {
    Advance(400ms);
  };
  c.RunOperation([&] {
    Advance(10ms);
    c.DoError("f", "", msg::ErrorWritingFile, "");
  });
  EXPECT_NEAR(frame.elapsed, 0.01f, 1e-5);

  c.OnGetPassword = [](TZipCommon&, const WideString&, AnsiString& password, TSeedKeyRecord&,
                       TSeedKeyRecord&, bool&) {
    Advance(400ms);
    password = "secret";
  };
  c.RunOperation(
      [&] { ObtainPassword(c, "e", [](std::string_view p) { return p == "secret"; }); });
  EXPECT_NEAR(frame.elapsed, 0.0f, 1e-5);
}

TEST(ZipCommonProgress, Percentages) {
  TestComponent c;
  std::vector<std::pair<int, int>> seen;
  c.OnProgress = [&](TZipCommon&, uint8_t byFile, uint8_t byArchive) {
    seen.emplace_back(byFile, byArchive);
  };
  auto report = [&](int64_t ft, int64_t fd, int64_t at, int64_t ad) {
    seen.clear();
    c.ReportProgress(ft, fd, at, ad);
    EXPECT_EQ(seen.size(), 1u);
    return seen.empty() ? std::pair(-1, -1) : seen[0];
  };
  EXPECT_EQ(report(0, 0, 0, 5), std::pair(0, 0));
  EXPECT_EQ(report(-10, 5, 100, 0), std::pair(0, 0));
  EXPECT_EQ(report(10, 20, 100, 100), std::pair(100, 100));
  EXPECT_EQ(report(3, 1, 3, 2), std::pair(33, 67));
  EXPECT_EQ(report(1000, 994, 1000, 996), std::pair(99, 100));
  EXPECT_EQ(report(100, -5, INT64_MAX, INT64_MAX / 2), std::pair(0, 50));
}

TEST(ZipCommonProgress, HandlerFailuresAreSwallowed) {
  TestComponent c;
  c.ReportProgress(10, 5, 10, 5);  // no handler: nothing happens
  c.OnProgress = [](TZipCommon&, uint8_t, uint8_t) { throw std::runtime_error("display gone"); };
  EXPECT_NO_THROW(c.ReportProgress(10, 5, 10, 5));
  c.OnProgress = [](TZipCommon&, uint8_t, uint8_t) { throw 42; };
  EXPECT_NO_THROW(c.ReportProgress(10, 5, 10, 5));
}

}  // namespace
}  // namespace qel

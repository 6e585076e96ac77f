// The settings block the stub reads, against bytes written out by hand, and the folder
// names the stub expands.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "formats/zip/SfxSettings.h"
#include "sfxstub/SfxRun.h"
#include "tests/support/EnvVar.h"

namespace vk::sfx {
namespace {

using Bytes = std::vector<uint8_t>;
using qel::kMessageYesNo;
using qel::TSFXOption;
using qel::TSFXOverwriteMode;
using qel::TSfxSettings;

// Title "T", folder "d", message "Hi": 18 + 4 bytes, so S is 24 with two bytes of fill.
const Bytes kBlock = {'D', 'Z', 0,   1,   24,  0,   0x21, 0, 1,   1,   1,    0, 0,  2, 36, 0,
                      0,   0,   'T', 'd', 'H', 'i', 0,    0, 'D', 'Z', 0x0A, 1, 24, 0, 0,  0};

const TSfxSettings kSettings = {.Options = 0x21,  // soAskCmdLine, soExpandVariables
                                .OverwriteMode = TSFXOverwriteMode::somSkip,
                                .DialogTitle = "T",
                                .DefaultExtractPath = "d",
                                .Message = "Hi",
                                .MessageFlags = kMessageYesNo};

TEST(SfxSettings, LayoutOfABlock) {
  EXPECT_EQ(kSettings.Serialize(), kBlock);
  EXPECT_EQ(TSfxSettings::Parse(kBlock), kSettings);
  EXPECT_EQ(TSfxSettings::BlockSize(std::span(kBlock).last(8)), kBlock.size());
  EXPECT_TRUE(kSettings.Has(TSFXOption::soExpandVariables));
  TSfxSettings last;
  last.Set(TSFXOption::soCreateEmptyDirs);
  EXPECT_EQ(last.Options, 0x0800);

  // Without texts: 18 bytes and two of fill.
  const Bytes empty = *TSfxSettings().Serialize();
  EXPECT_EQ(empty.size(), 28u);
  EXPECT_EQ(empty[4], 20);
  EXPECT_EQ(empty[8], 2);  // ask

  TSfxSettings full = kSettings;
  full.Options = 0x0FFF;
  full.CommandLine = std::string(255, 'c');
  full.FallbackExtractPath = "f\xC3\xA9";
  EXPECT_EQ(TSfxSettings::Parse(*full.Serialize()), full);
  full.Message = std::string(256, 'm');
  EXPECT_EQ(full.Serialize(), std::nullopt);
}

TEST(SfxSettings, BlocksThatDoNotHoldTogetherAreRefused) {
  const struct {
    const char* what;
    size_t at;
    uint8_t value;
  } damage[] = {
      {"block signature", 3, 2},
      {"size at the start", 4, 28},
      {"trailer signature", 26, 0x0B},
      {"size in the trailer", 28, 28},
      {"overwrite mode", 8, 3},
      {"a text running past the block", 13, 5},
      {"texts leaving more than the fill", 13, 0},
      {"fill not zero", 23, 'x'},
      {"a NUL in a text", 18, 0},
  };
  for (const auto& d : damage) {
    SCOPED_TRACE(d.what);
    Bytes b = kBlock;
    b[d.at] = d.value;
    EXPECT_EQ(TSfxSettings::Parse(b), std::nullopt);
  }
  EXPECT_EQ(TSfxSettings::Parse(std::span(kBlock).first(kBlock.size() - 1)), std::nullopt);
  EXPECT_EQ(TSfxSettings::Parse(std::span(kBlock).subspan(1)), std::nullopt);
  EXPECT_EQ(TSfxSettings::Parse({}), std::nullopt);
  // Trailers naming a size the block's own 16-bit field cannot hold, or no whole words.
  for (Bytes trailer : {Bytes{'D', 'Z', 0x0A, 1, 0, 0, 1, 0}, Bytes{'D', 'Z', 0x0A, 1, 22, 0, 0, 0},
                        Bytes{'D', 'Z', 0x0A, 1, 16, 0, 0, 0}, Bytes{'P', 'K', 5, 6, 24, 0, 0, 0}})
    EXPECT_EQ(TSfxSettings::BlockSize(trailer), std::nullopt);
}

TEST(SfxExpandVariables, NamesFromTheEnvironment) {
  qel::test::TEnvVar home("HOME", "/home/u");
  qel::test::TEnvVar a("VK_SFX_A", "/base");
  qel::test::TEnvVar unset("VK_SFX_UNSET", std::nullopt);
  qel::test::TEnvVar empty("VK_SFX_EMPTY", "");
  const struct {
    const char* path;
    std::optional<std::string> expanded;
  } cases[] = {
      {"$VK_SFX_A/x", "/base/x"},
      {"${VK_SFX_A}x", "/basex"},
      {"~", "/home/u"},
      {"~/d", "/home/u/d"},
      {"~user/d", "~user/d"},
      {"cost$5 and$ end$", "cost$5 and$ end$"},
      {"${VK_SFX_A", "${VK_SFX_A"},
      {"$VK_SFX_UNSET/x", std::nullopt},
      {"${VK_SFX_EMPTY}/x", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpandVariables(c.path), c.expanded) << c.path;
}

}  // namespace
}  // namespace vk::sfx

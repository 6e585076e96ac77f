// Damaged archives: the lister reports what is sound, says 25114 "Bad file header" where a
// header does not fit, and never reads past the file, crashes or hangs. Every case is listed
// with OnCorruptZipHeader answering Cancel = false, so the local-header walk runs too.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/base/Messages.h"
#include "tests/engine/list/ListerRun.h"
#include "tests/engine/list/ZipFields.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

using Names = std::vector<std::string>;

const std::vector<ZipEntry> kEntries = {
    {"one.txt", "the first entry"}, {"two/", ""}, {"two/three.txt", "the third entry"}};

ZipImage Sound() {
  ZipOptions options;
  options.comment = "archive comment";
  return BuildStoredZip(kEntries, options);
}

class ListerDamage : public ::testing::Test {
 protected:
  TListed List(const Bytes& bytes) {
    WriteFileBytes(zip_, bytes);
    return ListArchive(zip_, true);
  }

  TestFolder dir_;
  const std::string zip_ = dir_ / "damaged.zip";
};

TEST_F(ListerDamage, ListsWhatIsSoundAndReportsBadHeaders) {
  const Names all = {"one.txt", "two/", "two/three.txt"};
  const ZipImage sound = Sound();
  const int64_t lastCentral = CentralHeaderPos(sound, kEntries, 2);
  auto cut = [](int64_t size) { return [size](ZipImage& z) { z.bytes.resize(size_t(size)); }; };
  auto end = [](int at, uint32_t value, int width) {
    return [=](ZipImage& z) { PutField(z.bytes, z.endPos + at, width, value); };
  };
  auto field = [](size_t entry, TZipField f, uint32_t value) {
    return [=](ZipImage& z) { SetField(z, kEntries, entry, f, value); };
  };
  auto central = [&](int64_t at, int width, uint32_t value) {
    return [=](ZipImage& z) { PutField(z.bytes, at, width, value); };
  };
  struct {
    const char* what;
    std::function<void(ZipImage&)> damage;
    Names listed;
    bool badHeader;
  } cases[] = {
      // Without a usable end record the local headers give everything.
      {"directory cut short", cut(lastCentral + 20), all, false},
      {"end record cut short", cut(sound.endPos + 10), all, false},
      {"end signature broken", end(0, 0x06054B51, 4), all, false},
      {"directory offset past the file", end(16, 0x7FFFFFF0, 4), all, false},
      {"directory size past the file", end(12, 0x7FFFFFF0, 4), all, false},
      {"comment length past the file", end(20, 0xFFFF, 2), all, false},
      // Found by its signature, the directory names no local header: each entry says so.
      {"directory offset into the data", end(16, 5, 4), all, true},
      // A central header that does not fit ends the listing there.
      {"name past the file", central(lastCentral + 28, 2, 0xFFFF), {"one.txt", "two/"}, true},
      {"extra past the file", central(lastCentral + 30, 2, 0xFFFF), {"one.txt", "two/"}, true},
      {"comment past the file", central(lastCentral + 32, 2, 0xFFFF), {"one.txt", "two/"}, true},
      {"huge sizes", field(0, kPackedField, 0xFFFFFFFF), all, false},
      // Local headers: the walk ends at a header or data that does not fit.
      {"local name past the file",
       [&](ZipImage& z) {
         z.bytes.resize(size_t(z.centralPos));
         PutField(z.bytes, z.localPos[2] + 26, 2, 0xFFFF);
       },
       {"one.txt", "two/"},
       true},
      {"local data past the file",
       [&](ZipImage& z) {
         z.bytes.resize(size_t(z.centralPos));
         PutField(z.bytes, z.localPos[1] + 18, 4, 0x7FFFFFF0);
       },
       {"one.txt", "two/"},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ZipImage z = Sound();
    c.damage(z);
    TListed r = List(z.bytes);
    EXPECT_FALSE(r.raised);
    EXPECT_TRUE(r.totals);
    EXPECT_EQ(r.Names(), c.listed);
    EXPECT_EQ(r.HasError(msg::BadFileHeader), c.badHeader);
  }
}

// A name length raised so far that the name takes in the next header: the walk no longer
// meets the end of the directory where the end record puts it, and says so.
TEST_F(ListerDamage, HeaderSwallowingTheNextIsReported) {
  ZipImage z = Sound();
  const int64_t first = CentralHeaderPos(z, kEntries, 0);
  PutField(z.bytes, first + 28, 2, uint32_t(kEntries[0].name.size() + 20));
  TListed r = List(z.bytes);
  EXPECT_LT(r.Names().size(), kEntries.size());
  EXPECT_TRUE(r.HasError(msg::BadFileHeader));
}

// Whatever a cut archive still shows is a subset of its real entries, each one once.
TEST_F(ListerDamage, EveryPrefixOfAnArchive) {
  const Bytes whole = Sound().bytes;
  const std::set<std::string> real = {"one.txt", "two/", "two/three.txt"};
  for (size_t size = 0; size <= whole.size(); ++size) {
    SCOPED_TRACE(size);
    TListed r = List(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(size)));
    const Names names = r.Names();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    for (const std::string& n : names) EXPECT_TRUE(real.count(n)) << n;
    if (size == whole.size()) {
      EXPECT_EQ(names.size(), real.size());
    }
  }
}

// Random bytes changed in the directory and the end record: listed or not, the lister stays
// within the file and ends.
TEST_F(ListerDamage, RandomDamageInTheDirectory) {
  const ZipImage sound = Sound();
  std::mt19937 rng(20240509);
  for (int round = 0; round < 400; ++round) {
    Bytes b = sound.bytes;
    std::uniform_int_distribution<size_t> where(size_t(sound.centralPos), b.size() - 1);
    for (int n = 1 + int(rng() % 4); n > 0; --n) b[where(rng)] = uint8_t(rng());
    SCOPED_TRACE(round);
    TListed r = List(b);
    EXPECT_FALSE(r.raised);
    EXPECT_LE(r.entries.size(), 3u);
  }
}

}  // namespace
}  // namespace qel::test

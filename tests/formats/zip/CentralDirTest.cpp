#include "formats/zip/CentralDir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "engine/streams/MemoryStream32.h"
#include "tests/support/ZipImage.h"

namespace qel::zip {
namespace {

using test::BuildStoredZip;
using test::Bytes;
using test::TwoEntries;
using test::ZipImage;
using test::ZipOptions;
using enum THeaderType;

THeaderTypeState Flags(std::initializer_list<THeaderType> types) {
  THeaderTypeState s;
  for (THeaderType t : types) s.Include(t);
  return s;
}

int64_t Find(const Bytes& bytes, TCentralDirLocation& loc, const THeaderDecipher& decipher = {}) {
  TMemoryStream32 stream;
  EXPECT_EQ(stream.Write(bytes.data(), int64_t(bytes.size())), int64_t(bytes.size()));
  return FindCentralDir(stream, stream.Size(), loc, decipher);
}

// The test cipher: the builder XORs every enciphered fixed part with one byte.
THeaderDecipher XorDecipher(uint8_t key, int* calls = nullptr) {
  return [key, calls](uint8_t* data, size_t size) {
    if (calls) ++*calls;
    for (size_t i = 0; i < size; ++i) data[i] ^= key;
    return true;
  };
}

TEST(CentralDirFind, PlainArchive) {
  ZipImage img = BuildStoredZip(TwoEntries());
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc), img.centralPos);
  EXPECT_EQ(loc.HeadFlag, Flags({htEnding, htCentral, htLocal}));
  EXPECT_EQ(loc.OffsetAdjust, 0);
  EXPECT_EQ(loc.EndPosition, img.endPos);
  EXPECT_FALSE(loc.Extended);
  EXPECT_FALSE(loc.EndEnciphered);
  EXPECT_EQ(loc.TotalEntries(), 2u);
  EXPECT_EQ(loc.CentralSize(), uint64_t(img.centralSize));
  EXPECT_TRUE(loc.Comment.empty());
}

TEST(CentralDirFind, CommentsUpToTheLongestLegalOne) {
  for (size_t len : {size_t(1000), size_t(32768), size_t(65535)}) {
    SCOPED_TRACE(len);
    std::string comment(len, 'c');
    ZipImage img = BuildStoredZip(TwoEntries(), {.comment = comment});
    TCentralDirLocation loc;
    EXPECT_EQ(Find(img.bytes, loc), img.centralPos);
    EXPECT_EQ(loc.EndPosition, int64_t(img.bytes.size() - len - 22));
    EXPECT_EQ(loc.Comment, comment);
    EXPECT_EQ(loc.CommentPosition, int64_t(img.bytes.size() - len));
    EXPECT_TRUE(loc.HeadFlag.Has(htCentral));
  }
}

TEST(CentralDirFind, SignatureInsideTheCommentDoesNotWin) {
  // The bytes after the fake signature read as a comment length far past the file's end.
  std::string comment = "note PK\x05\x06 and then some junk text that follows it";
  ZipImage img = BuildStoredZip(TwoEntries(), {.comment = comment});
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc), img.centralPos);
  EXPECT_EQ(loc.EndPosition, img.endPos);
  EXPECT_EQ(loc.Comment, comment);

  // A whole fake end record in the comment, whose own comment length fits within the file.
  std::string fake = std::string("x") + "PK\x05\x06" + std::string(18, '\0') + "tail";
  img = BuildStoredZip(TwoEntries(), {.comment = fake});
  EXPECT_EQ(Find(img.bytes, loc), img.centralPos);
  EXPECT_EQ(loc.EndPosition, img.endPos);
  EXPECT_EQ(loc.Comment, fake);
}

TEST(CentralDirFind, DataInFrontGivesOffsetAdjust) {
  ZipImage img = BuildStoredZip(TwoEntries(), {.comment = "", .prefix = 100});
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc), img.centralPos);
  EXPECT_EQ(loc.OffsetAdjust, 100);
  EXPECT_EQ(loc.HeadFlag, Flags({htEnding, htCentral, htLocal}));
}

TEST(CentralDirFind, Zip64RecordsGiveTheSizes) {
  for (size_t prefix : {size_t(0), size_t(100)}) {
    SCOPED_TRACE(prefix);
    ZipImage img = BuildStoredZip(TwoEntries(), {.comment = "", .prefix = prefix, .zip64 = true});
    TCentralDirLocation loc;
    EXPECT_EQ(Find(img.bytes, loc), img.centralPos);
    EXPECT_EQ(loc.HeadFlag, Flags({htEnding, htLocator, htEnding64, htCentral, htLocal}));
    ASSERT_TRUE(loc.End64.has_value());
    ASSERT_TRUE(loc.Locator.has_value());
    // The standard record holds only saturated fields; the 64-bit ones are in force.
    EXPECT_EQ(loc.End.CentralSize, 0xFFFFFFFFu);
    EXPECT_EQ(loc.CentralSize(), uint64_t(img.centralSize));
    EXPECT_EQ(loc.CentralOffset(), uint64_t(img.centralPos) - prefix);
    EXPECT_EQ(loc.TotalEntries(), 2u);
    EXPECT_EQ(loc.OffsetAdjust, int64_t(prefix));
  }
}

TEST(CentralDirFind, LocatorWithoutZip64RecordIsNotTrusted) {
  ZipImage img = BuildStoredZip(TwoEntries(), {.comment = "", .zip64 = true});
  img.bytes[size_t(img.zip64EndPos)] = 'Q';  // the Zip64 end record is gone
  TCentralDirLocation loc;
  // The saturated 32-bit figures lead nowhere, so there is no answer.
  EXPECT_EQ(Find(img.bytes, loc), 0);
  EXPECT_EQ(loc.HeadFlag, Flags({htEnding, htLocator}));
  EXPECT_FALSE(loc.End64.has_value());
}

TEST(CentralDirFind, ExtendedEndRecord) {
  ZipImage img = BuildStoredZip(TwoEntries(), {.comment = "hello", .extendedEnd = true});
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc), img.centralPos);
  EXPECT_TRUE(loc.Extended);
  EXPECT_EQ(loc.EndPosition, img.endPos);
  EXPECT_EQ(loc.CentralSize(), uint64_t(img.centralSize));
  EXPECT_EQ(loc.Comment, "hello");
}

TEST(CentralDirFind, NoEndRecordLeavesTheDecisionToTheCaller) {
  ZipImage img = BuildStoredZip(TwoEntries());
  img.bytes[size_t(img.endPos) + 2] = 'Q';
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc), 0);
  EXPECT_TRUE(loc.HeadFlag.Empty());
  EXPECT_EQ(loc.EndPosition, -1);

  // An empty archive is a bare end record at offset 0: an empty directory there.
  ZipImage empty = BuildStoredZip({});
  ASSERT_EQ(empty.bytes.size(), 22u);
  EXPECT_EQ(Find(empty.bytes, loc), 0);
  EXPECT_EQ(loc.HeadFlag, Flags({htEnding, htCentral}));
  EXPECT_EQ(loc.EndPosition, 0);
}

TEST(CentralDirFind, LostCentralDirectoryFallsBackToTheFirstLocalHeader) {
  ZipImage img = BuildStoredZip(TwoEntries(), {.comment = "", .prefix = 37});
  for (int64_t p = img.centralPos; p < img.endPos; ++p) img.bytes[size_t(p)] = 'z';
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc), 37);
  EXPECT_EQ(loc.HeadFlag, Flags({htLocal}));

  // No local header either.
  for (int64_t p : img.localPos) img.bytes[size_t(p)] = 'z';
  EXPECT_EQ(Find(img.bytes, loc), -1);
}

TEST(CentralDirFind, LocalHeaderScanCoversFourBlocks) {
  // A local-header signature across the boundary of the first two scan blocks, then one
  // past all four blocks; the end record points at nothing useful.
  auto withLocalAt = [](int64_t pos) {
    Bytes b(size_t(pos) + 200, 'x');
    const uint8_t sig[] = {'P', 'K', 3, 4};
    std::copy(std::begin(sig), std::end(sig), b.begin() + pos);
    ZipImage end = BuildStoredZip({});
    end.bytes[8] = end.bytes[10] = 1;  // one entry in a directory that is not there
    end.bytes[12] = 46;
    b.insert(b.end(), end.bytes.begin(), end.bytes.end());
    return b;
  };
  TCentralDirLocation loc;
  EXPECT_EQ(Find(withLocalAt(kTailSize - 2), loc), kTailSize - 2);
  EXPECT_EQ(loc.HeadFlag, Flags({htLocal}));
  EXPECT_EQ(Find(withLocalAt(4 * kTailSize + 10), loc), -1);
}

TEST(CentralDirFind, RecordedFiguresBeyondTheFile) {
  // A central-directory size larger than the file: the recorded offset still leads to it.
  ZipImage img = BuildStoredZip(TwoEntries());
  test::PatchU32(img.bytes, img.endPos + 12, 0x7FFFFFF0);
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc), img.centralPos);

  // Size and offset both past the end: nothing to read there, so no answer.
  test::PatchU32(img.bytes, img.endPos + 16, 0x7FFFFFF0);
  EXPECT_EQ(Find(img.bytes, loc), 0);

  // Size too large and an offset at a local header: the scan's answer.
  test::PatchU32(img.bytes, img.endPos + 16, 0);
  EXPECT_EQ(Find(img.bytes, loc), 0);
  EXPECT_EQ(loc.HeadFlag, Flags({htLocal}));

  // Zip64 figures near 2^64 must not wrap into a plausible position.
  ZipImage big = BuildStoredZip(TwoEntries(), {.comment = "", .zip64 = true});
  test::PatchU64(big.bytes, big.zip64EndPos + 40, ~uint64_t(0));
  test::PatchU64(big.bytes, big.zip64EndPos + 48, ~uint64_t(0) - 15);
  int64_t found = Find(big.bytes, loc);
  EXPECT_GE(found, -1);
  EXPECT_LT(found, int64_t(big.bytes.size()));
}

TEST(CentralDirFind, LocalOffsetBeyondTheFileIsUnusable) {
  ZipImage img = BuildStoredZip(TwoEntries());
  test::PatchU32(img.bytes, img.centralPos + 42, uint32_t(img.bytes.size() + 1));
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc), -1);

  // 0xFFFFFFFF stands for "in the Zip64 field" and counts as 0 here.
  test::PatchU32(img.bytes, img.centralPos + 42, 0xFFFFFFFF);
  EXPECT_EQ(Find(img.bytes, loc), img.centralPos);
  EXPECT_TRUE(loc.HeadFlag.Has(htLocal));
}

TEST(CentralDirFind, EncipheredRecordsNeedTheDecipherHook) {
  ZipImage img = BuildStoredZip(TwoEntries(), {.comment = "c", .headerKey = 0x5A});
  ASSERT_EQ(img.bytes[size_t(img.endPos) + 1], 'L');
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc), 0);
  EXPECT_TRUE(loc.HeadFlag.Empty());

  int calls = 0;
  EXPECT_EQ(Find(img.bytes, loc, XorDecipher(0x5A, &calls)), img.centralPos);
  EXPECT_TRUE(loc.EndEnciphered);
  EXPECT_EQ(loc.TotalEntries(), 2u);
  EXPECT_EQ(loc.Comment, "c");
  // The central header's local offset was read deciphered.
  EXPECT_EQ(loc.HeadFlag, Flags({htEnding, htCentral, htLocal}));
  EXPECT_EQ(calls, 2);  // the end record and the first central header

  // A hook that cannot decipher: the end record stays unreadable.
  EXPECT_EQ(Find(img.bytes, loc, [](uint8_t*, size_t) { return false; }), 0);
}

TEST(CentralDirFind, UndecipherableCentralHeaderIsUnusable) {
  ZipImage img = BuildStoredZip(TwoEntries(), {.comment = "", .headerKey = 0x5A});
  int calls = 0;
  auto endOnly = [&calls](uint8_t* data, size_t size) {
    if (calls++ > 0) return false;
    for (size_t i = 0; i < size; ++i) data[i] ^= 0x5A;
    return true;
  };
  TCentralDirLocation loc;
  EXPECT_EQ(Find(img.bytes, loc, endOnly), -1);
}

TEST(CentralDirFind, TinyFilesAndEveryPrefixOfAnArchive) {
  ZipImage img = BuildStoredZip(TwoEntries(), {.comment = "zz"});
  TCentralDirLocation loc;
  // Files of 1 to 30 bytes cut from the archive's tail, which holds the end record.
  for (size_t n = 1; n <= 30; ++n) {
    Bytes tail(img.bytes.end() - int64_t(n), img.bytes.end());
    int64_t found = Find(tail, loc);
    EXPECT_GE(found, -1) << n;
    EXPECT_LT(found, int64_t(n)) << n;
  }
  for (size_t n = 0; n <= img.bytes.size(); ++n) {
    Bytes prefix(img.bytes.begin(), img.bytes.begin() + int64_t(n));
    int64_t found = Find(prefix, loc);
    EXPECT_GE(found, -1) << n;
    EXPECT_LT(found, std::max<int64_t>(int64_t(n), 1)) << n;
  }
}

}  // namespace
}  // namespace qel::zip

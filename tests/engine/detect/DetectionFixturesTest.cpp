// Detection over inputs built byte by byte: formats no Debian tool writes, programs with
// archives inside them, text encodings, TAR headers, ZIP end-record corner cases, spanned
// sets on removable disks, and cut or damaged archives.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/Bytes.h"
#include "platform/FakeDrives.h"
#include "tests/support/DetectHelpers.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipFixture.h"

namespace qel {
namespace {

using test::Bytes;
using test::DetectBytes;
using test::LocalPartOfZip;
using test::MakeZip;
using test::TDetected;
using test::TZipFixture;

// --- Building bytes. ---

Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }
// A literal with every byte up to its end, zero bytes included.
template <size_t N>
Bytes B(const char (&s)[N]) {
  return Bytes(s, s + N - 1);
}

// Writes `s` at `at`, growing `b` (with `fill`) when needed.
void Put(Bytes& b, size_t at, std::string_view s, uint8_t fill = 0) {
  if (b.size() < at + s.size()) b.resize(at + s.size(), fill);
  if (!s.empty()) std::memcpy(&b[at], s.data(), s.size());
}

void Put(Bytes& b, size_t at, const Bytes& s, uint8_t fill = 0) {
  Put(b, at, std::string_view(reinterpret_cast<const char*>(s.data()), s.size()), fill);
}

Bytes Padded(Bytes b, size_t size, uint8_t fill = 0) {
  if (b.size() < size) b.resize(size, fill);
  return b;
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Filler for program images: no signature contains it.
constexpr uint8_t kCode = 0x90;

// An "MZ" program of `size` bytes whose DOS image, by its header, ends at `imageEnd` (no DOS
// image when 0). It has no PE header.
Bytes MakeMz(size_t size, size_t imageEnd = 0) {
  Bytes b(size, kCode);
  b[0] = 'M';
  b[1] = 'Z';
  PutU16(&b[2], uint16_t(imageEnd % 512));
  PutU16(&b[4], uint16_t(imageEnd ? imageEnd / 512 + 1 : 0));
  PutU32(&b[0x3C], 0);
  return b;
}

// A program with `payload` at `at`.
Bytes MzWith(size_t at, const Bytes& payload, size_t imageEnd = 0, size_t size = 0) {
  Bytes b = MakeMz(std::max(size, at + payload.size()), imageEnd);
  Put(b, at, payload);
  return b;
}

// A TAR header with its checksum written the usual way ("%06o", NUL, space).
Bytes TarHeader(const std::string& name, char type, size_t size) {
  Bytes h(512, 0);
  Put(h, 0, name);
  Put(h, 100, "0000644");
  Put(h, 108, "0001750");
  Put(h, 116, "0001750");
  char field[16];
  std::snprintf(field, sizeof field, "%011o", unsigned(size));
  Put(h, 124, field);
  Put(h, 136, "14567416530");
  h[156] = uint8_t(type);
  Put(h, 257,
      std::string_view("ustar\0"
                       "00",
                       8));
  Put(h, 148, "        ");
  unsigned sum = 0;
  for (uint8_t c : h) sum += c;
  std::snprintf(field, sizeof field, "%06o", sum);
  Put(h, 148, std::string_view(field, 7));  // with its NUL
  h[155] = ' ';
  return h;
}

Bytes TarFile(const std::string& name, const std::string& data) {
  Bytes b = TarHeader(name, '0', data.size());
  Put(b, 512, data);
  return Padded(b, 512 * 2 + 1024);  // data padded to a block, then two zero blocks
}

const Bytes kRar = B("Rar!\x1a\x07\x00");
const Bytes kGzip = B("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03");

// An ACE main header: CRC, size, type, flags, then the signature at offset 7.
Bytes AceHeader(std::string_view signature = "**ACE**", uint8_t crcLow = 0x5A) {
  Bytes b = {crcLow, 0x31, 0x26, 0x00, 0x00, 0x00, 0x90};
  Put(b, 7, signature);
  return Padded(b, 48, 0x20);
}

// --- Table of inputs and what detection makes of them. ---

constexpr int kAnyFlags = -1;
constexpr int64_t kAnyOffset = INT64_MIN;  // not checked: where reading starts is moot

struct TFixture {
  std::string name;
  Bytes bytes;
  TArcType type;
  int64_t headerOffset;
  int headFlag;
  int64_t offsetAdjust;
};

TFixture F(std::string name, Bytes bytes, TArcType type, int64_t headerOffset,
           int headFlag = kAnyFlags, int64_t offsetAdjust = 0) {
  return {std::move(name), std::move(bytes), type, headerOffset, headFlag, offsetAdjust};
}

void Check(const TFixture& f) {
  SCOPED_TRACE(f.name);
  TDetected d = DetectBytes(f.bytes, "x.bin");
  EXPECT_EQ(ArcTypeName(d.Type), ArcTypeName(f.type));
  if (f.headerOffset != kAnyOffset) {
    EXPECT_EQ(d.HeaderOffset, f.headerOffset);
  }
  if (f.headFlag != kAnyFlags) {
    EXPECT_EQ(int(d.HeadFlag), f.headFlag);
  }
  EXPECT_EQ(d.OffsetAdjust, f.offsetAdjust);
  EXPECT_EQ(d.ArchiveSize, int64_t(f.bytes.size()));
}

TEST(DetectionFixtures, SignaturesAtTheStart) {
  const std::vector<TFixture> fixtures = {
      F("zoo", Padded(B("ZOO 2.10 Archive.\x1a\0\0\xdc\xa7\xc4\xfd"), 64), atZoo, 0),
      F("zoo, first two letters only", Padded(B("ZOx"), 64), atZoo, 0),
      F("ha", Padded(B("HA\x02\x00"), 64, 0x20), atHA, 0),
      F("bh", Padded(B("BH\x05\x07"), 64), atBh, 0),
      F("pak 1A 0A",
        Padded(B("\x1a\x0a"
                 "FILE.TXT"),
               64),
        atPak, 0),
      F("pak 1A 0B",
        Padded(B("\x1a\x0b"
                 "FILE.TXT"),
               64),
        atPak, 0),
      F("arc stored",
        Padded(B("\x1a\x02"
                 "FILE.TXT"),
               64),
        atArc, 0),
      F("arc crunched",
        Padded(B("\x1a\x08"
                 "FILE.TXT"),
               64),
        atArc, 0),
      F("arc with the TW mark", Padded(B("\xb7\xdfTW"), 64), atArc, 0),
      // The self-extractor mark names a fixed position, even beyond the end of a short file.
      F("arc self-extractor mark", Padded(B("\xb7\x92"), 64), atArcExe, 7716),
      F("ace", AceHeader(), atAce, 0),
      F("ace, signature in lower case", AceHeader("**ace**"), atAce, 0),
      // A header CRC whose low byte is 0 is not padding: the signature still counts at 7.
      F("ace, CRC starting with a zero byte", AceHeader("**ACE**", 0x00), atAce, 0),
      F("rar 4", Padded(kRar, 64), atRar, 0),
      F("rar 5", Padded(B("Rar!\x1a\x07\x01\x00"), 64), atRar, 0),
      F("qelx", Padded(B("qelx"), 64), atQelX, 0),
      F("ms compressed", Padded(B("\x13\x5d\x65\x8c\x3a\x01"), 64), atMsGZ, 0),
      // The SZDD file of Microsoft's compress program is none of the kinds.
      F("szdd",
        Padded(B("SZDD\x88\xf0\x27\x33"
                 "A"),
               64),
        atNA, -1),
      // Not an archive the engine reads, so no place to start reading either.
      F("PKG5 package", Padded(B("PKG5"), 64), atUnknown, -1),
      F("PKG4 is no zip", Padded(B("PKG4"), 64), atNA, -1),
      F("PKCI is no zip", Padded(B("PKCI"), 64), atNA, -1),
      F("7z", Padded(B("7z\xbc\xaf\x27\x1c\x00\x04"), 64), at7Zip, 0),
      F("lha", Padded(B("\x24\x00-lh5-"), 64), atLha, 0),
      F("arj", Padded(B("\x60\xea\x29\x00"), 64), atArj, 0),
      F("gzip", Padded(kGzip, 64), atGZip, 0),
      F("pack", Padded(B("\x1f\x1e"), 64), atGZip, 0),
      // PostScript's magic shares the row of the compressors.
      F("postscript", B("%!PS-Adobe-3.0\n%%Title: x\n"), atGZip, 0),
      F("empty", {}, atNA, -1),
      F("19 bytes", Padded(kRar, 19), atNA, -1),
      F("20 bytes", Padded(kRar, 20), atRar, 0),
      F("bzip2 block", Padded(B("BZh91AY&SY"), 64), atBz2, 0),
      F("bzip2 block, odd level byte", Padded(B("BZhX1AY&SY"), 64), atBz2, 0),
      F("bzip2, empty stream padded", Padded(B("BZh9\x17\x72\x45\x38\x50\x90\0\0\0\0"), 20), atBz2,
        0),
      F("bzip2, empty stream with a level of 0",
        Padded(B("BZh0\x17\x72\x45\x38\x50\x90\0\0\0\0"), 20), atNA, -1),
      F("nothing but zeros", Bytes(40000, 0), atNA, -1),
  };
  for (const TFixture& f : fixtures) Check(f);
}

TEST(DetectionFixtures, ThingsInFront) {
  // A 128-byte Macintosh header (a zero byte, the name's length, the name...) before LHA.
  Bytes mac(128, 0);
  mac[1] = 5;
  Put(mac, 2, "a.lzh");
  Put(mac, 65, "LHA ");
  const Bytes lha = Padded(B("\x24\x00-lh0-"), 64, 0x41);

  Bytes zerosAndLocals = Cat(Bytes(1000, 0), LocalPartOfZip());
  TZipFixture zip = MakeZip();
  const std::vector<TFixture> fixtures = {
      F("macintosh header", Cat(mac, lha), atLha, 128),
      F("macintosh header, archive too short", Cat(mac, Bytes(lha.begin(), lha.begin() + 4)), atNA,
        -1),
      F("zip behind zeros", Cat(Bytes(1000, 0), zip.bytes), atZip, 1000 + int64_t(zip.central),
        0x07, 1000),
      // Without an end record the start is where the zeros end.
      F("zip local headers behind zeros", zerosAndLocals, atZip, 1000, 0x01),
      F("zip behind text", Cat(B("Read me first.\n"), zip.bytes), atZip, 15 + int64_t(zip.central),
        0x07, 15),
  };
  for (const TFixture& f : fixtures) Check(f);
}

TEST(DetectionFixtures, Text) {
  std::string prose;
  while (prose.size() < 33000) prose += "A line of prose that says nothing at all.\n";
  const std::vector<TFixture> fixtures = {
      F("uu after prose",
        B("Here is the file you asked for.\n\nbegin 644 a.txt\n,:&5L;&\\@=V]R;&0*\n`\nend\n"),
        atUUE, 0),
      F("uu, upper case", B("BEGIN 755 run.sh\n,:&5L;&\\@=V]R;&0*\n`\nend\n"), atUUE, 0),
      F("uu, line indented", B("Attached:\n  begin 644 a.txt\n`\nend\n"), atNA, -1),
      F("uu past the first 32 KiB", B(prose + "begin 644 a.txt\n`\nend\n"), atNA, -1),
      F("mime, all lower case",
        B("From: a@b\nMIME-Version: 1.0\ncontent-transfer-encoding: base64\n\naGVsbG8K\n"), atB64,
        0),
      F("mime, mixed case", B("Subject: x\nContent-Transfer-Encoding: BASE64\n\naGVsbG8K\n"), atB64,
        0),
      // The header needs its line end too.
      F("mime header ending the file", B("Some prose first.\nContent-Transfer-Encoding: Base64"),
        atNA, -1),
      F("mime, quoted-printable",
        B("Subject: x\nContent-Transfer-Encoding: quoted-printable\n\nhello=\n"), atNA, -1),
  };
  for (const TFixture& f : fixtures) Check(f);
}

TEST(DetectionFixtures, Tar) {
  const Bytes tar = TarFile("a.txt", "hello world\n");
  Bytes damaged = tar;
  damaged[0] = 'b';  // the sum no longer matches
  Bytes oldStyle = tar;
  {
    // An old writer's checksum: leading spaces, then a space and a NUL.
    unsigned stored = 0;
    for (int i = 148; i < 154; ++i) stored = stored * 8 + unsigned(tar[i] - '0');
    char field[9];
    std::snprintf(field, sizeof field, "%6o ", stored);
    Put(oldStyle, 148, std::string_view(field, 8));
  }
  Bytes label = TarHeader("VOL", 'V', 0);
  const std::vector<TFixture> fixtures = {
      F("ustar", tar, atTar, 0),
      F("damaged checksum", damaged, atNA, -1),
      F("old-style checksum field", oldStyle, atTar, 0),
      F("volume label, then a member", Cat(label, tar), atTar, 512),
      F("volume label, then a damaged member", Cat(label, damaged), atNA, -1),
      F("volume label alone", Cat(label, Bytes(100, 0)), atNA, -1),
      F("a header and nothing else", Bytes(tar.begin(), tar.begin() + 512), atNA, -1),
  };
  for (const TFixture& f : fixtures) Check(f);
}

TEST(DetectionFixtures, ZipEndRecords) {
  auto checkZip = [](const std::string& what, const TZipFixture& z) {
    Check(F(what, z.bytes, atZip, int64_t(z.central), 0x07));
  };
  checkZip("no comment", MakeZip());
  checkZip("60000-byte comment", MakeZip(std::string(60000, 'c')));
  checkZip("longest comment", MakeZip(std::string(65535, 'c')));
  // The comment holds end-record bytes whose own comment would run past the file's end.
  checkZip("end signature in the comment",
           MakeZip(std::string("see ") + std::string("PK\x05\x06", 4) + " for details"));
  checkZip("end record at the very start of the comment",
           MakeZip(std::string("PK\x05\x06", 4) + std::string(40, 'z')));

  // A comment length that claims more than the file holds is still the end record.
  TZipFixture cut = MakeZip(std::string(30, 'c'));
  cut.bytes.resize(cut.bytes.size() - 20);
  checkZip("comment cut short", cut);
}

TEST(DetectionFixtures, ProgramsWithArchives) {
  const TZipFixture zip = MakeZip();
  const Bytes locals = LocalPartOfZip();
  const Bytes arcStub =
      B("\x1a\x08"
        "FILE.TXT");
  auto with = [](Bytes b, size_t at, const Bytes& payload) {
    Put(b, at, payload, kCode);
    return b;
  };
  Bytes ace = AceHeader();
  Bytes arj = Padded(B("\x60\xea\x10\x00"), 26, 0x41);
  Put(arj, 26, "\x60\xea");
  const std::vector<TFixture> fixtures = {
      // Behind the DOS image.
      F("rar at the DOS image end", MzWith(1124, kRar, 1124, 3000), atRarExe, 1124, 0x20),
      F("arj two bytes past the DOS image end",
        MzWith(1124, B("\x00\x00\x60\xea\x26\x00"), 1124, 3000), atArjExe, 1126, 0x20),
      F("gzip at the DOS image end", MzWith(1124, kGzip, 1124, 3000), atUnsupported, 1124, 0x20),
      F("zip at the DOS image end, offsets not adjusted", MzWith(1124, zip.bytes, 1124), atZipExe,
        1124 + int64_t(zip.central), 0x27, 1124),
      // Fixed stub offsets.
      F("arc stub", MzWith(6674, arcStub, 0, 9000), atArcExe, 6674, 0x20),
      F("pak stub",
        MzWith(6867,
               B("\x1a\x0a"
                 "F.TXT"),
               0, 9000),
        atPakExe, 6867, 0x20),
      F("arc stub at the last place", MzWith(13138, arcStub, 0, 14000), atArcExe, 13138, 0x20),
      F("lha stub", MzWith(1945, B("\x24\x00-lh5-"), 0, 3000), atLhaExe, 1945, 0x20),
      F("zip stub at 7612", MzWith(7612, locals), atZipExe, 7612, 0x21),
      F("zip stub at 25661", MzWith(25661, locals), atZipExe, 25661, 0x21),
      F("whole zip at 7612, offsets not adjusted", MzWith(7612, zip.bytes), atZipExe,
        7612 + int64_t(zip.central), 0x27, 7612),
      // A stub's type is provisional: a later probe that recognises something wins, one
      // that does not leaves it.
      F("arc stub, then rar at the DOS image end",
        with(MzWith(6674, arcStub, 1124, 9000), 1124, kRar), atRarExe, 1124, 0x20),
      F("arc stub, nothing at the DOS image end", MzWith(6674, arcStub, 1124, 9000), atArcExe, 6674,
        0x20),
      // Found by scanning from 1500; signatures followed by known program code are passed over.
      F("zip signature inside program code",
        MzWith(12000, B("PK\x03\x04\x74\x0b\x3d\x00"), 0, 13000), atNA, -1, 0x20),
      F("ace scanned", MzWith(5000, ace, 0, 6000), atAceExe, 5000, 0x20),
      F("lha scanned", MzWith(3000, B("\x24\x00-lh5-"), 0, 4000), atLhaExe, 3000, 0x20),
      F("bh scanned", MzWith(3000, B("BH\x05\x07\x01\x02"), 0, 4000), atBhExe, 3000, 0x20),
      F("bh signature inside program code", MzWith(3000, B("BH\x05\x07\x0f\x94\xc3\x84"), 0, 4000),
        atNA, -1, 0x20),
      F("cabinet scanned", MzWith(3000, B("MSCF\0\0\0\0\x01"), 0, 4000), atCabExe, 3000, 0x20),
      F("rar scanned", MzWith(3000, kRar, 0, 4000), atRarExe, 3000, 0x20),
      F("zoo scanned", MzWith(3000, B("ZOO 2.10 Archive."), 0, 4000), atZoo, 3000, 0x20),
      F("arj scanned", MzWith(3000, arj, 0, 4000), atArjExe, 3000, 0x20),
      // Beyond the eleven blocks of the scan.
      F("rar past the scan", MzWith(1500 + 11 * 32768, kRar), atNA, -1, 0x20),
      // A cabinet is taken from a program only: a data file may hold one by chance.
      F("cabinet inside a data file",
        with(Padded(B("Notes.\n"), 3000, ' '), 3000, B("MSCF\0\0\0\0")), atNA, -1),
  };
  for (const TFixture& f : fixtures) Check(f);
}

// A ZIP without an end record is found only by the signature scan. Behind other data,
// reading starts at the local header found. In a program it is taken for the program's
// own data wherever it lies: archivers carry the signatures as constants, and an archive
// whose directory can be located was already taken before the scan.
TEST(DetectionFixtures, ZipFoundOnlyByScanning) {
  const Bytes locals = LocalPartOfZip();
  Bytes elf(12000, kCode);
  Put(elf, 0,
      "\x7f"
      "ELF\x02\x01\x01");
  const std::vector<TFixture> fixtures = {
      F("program, below 10000", MzWith(3000, locals), atUnsupported, kAnyOffset),
      F("program, above 10000", MzWith(12000, locals), atUnsupported, kAnyOffset),
      F("elf program, below 10000", Cat(Bytes(elf.begin(), elf.begin() + 5000), locals),
        atUnsupported, kAnyOffset),
      F("elf program, above 10000", Cat(elf, locals), atUnsupported, kAnyOffset),
      F("behind text", Cat(B("Read me first.\n"), locals), atZip, 15, 0x00),
  };
  for (const TFixture& f : fixtures) Check(f);
}

// A program starting with the ELF magic is examined like an "MZ" program, without the two
// probes that read Windows headers.
TEST(DetectionFixtures, ElfPrograms) {
  // Read as a DOS header, these ELF bytes put the DOS image's end past the scan's reach.
  Bytes elf(420000, kCode);
  Put(elf, 0,
      "\x7f"
      "ELF\xff\x02");
  const size_t imageEnd = (GetU16(&elf[4]) - 1) * 512 + GetU16(&elf[2]);
  ASSERT_GT(imageEnd, size_t(1500 + 11 * 32768));
  Put(elf, imageEnd, kRar);
  Bytes mz = elf;
  Put(mz, 0, "MZ");

  const TZipFixture zip = MakeZip();
  Bytes elfHead = Bytes(elf.begin(), elf.begin() + 5000);
  // A self-extractor's form: the archive's offsets count from the start of the program, and
  // a settings block may sit between the program and the first local header. Reading starts
  // at the directory either way; nothing is left to adjust.
  const TZipFixture moved = MakeZip("", 5000);
  const Bytes settings = B("DZ\0\x01\x14\0\0\0\x02\0\0\0\0\0\0\0\0\0\0\0DZ\x0a\x01\x14\0\0\0");
  ASSERT_EQ(settings.size(), 28u);
  const std::vector<TFixture> fixtures = {
      F("mz, rar at the DOS image end", mz, atRarExe, int64_t(imageEnd), 0x20),
      F("elf, same bytes", elf, atNA, -1, 0x20),
      F("elf, zip behind", Cat(elfHead, zip.bytes), atZipExe, 5000 + int64_t(zip.central), 0x27,
        5000),
      F("elf, zip behind with its offsets moved", Cat(elfHead, moved.bytes), atZipExe,
        5000 + int64_t(moved.central), 0x27),
      F("elf, settings block, zip with its offsets moved",
        Cat(Cat(Bytes(elf.begin(), elf.begin() + 4972), settings), moved.bytes), atZipExe,
        5000 + int64_t(moved.central), 0x27),
  };
  for (const TFixture& f : fixtures) Check(f);
}

// Self-extractors name their archive's offset in a string resource. The program here has a
// "Rar!" decoy at 2000 that a scan would find first, so a hit at 5000 shows the resource
// was used.
TEST(DetectionFixtures, StringResourceOffsets) {
  auto program = [](const std::vector<std::u16string>& strings, const Bytes& payload) {
    Bytes b = test::BuildPe(false, strings).bytes;
    Put(b, 2000, kRar, kCode);
    Put(b, 5000, payload, kCode);
    return Padded(b, 6000, kCode);
  };
  const TZipFixture zip = MakeZip();
  const TZipFixture adjustedZip = MakeZip("", 5000);
  const std::u16string other = u"1600";  // points at program code
  struct TCase {
    const char* what;
    std::vector<std::u16string> strings;  // by identifier, from 0
    Bytes payload;
    TArcType type;
    int64_t headerOffset;
    int64_t offsetAdjust;
  } cases[] = {
      {"identifier 1", {u"", u"5000"}, kRar, atRarExe, 5000, 0},
      {"identifier 2 after one pointing at code", {u"", other, u"5000"}, kRar, atRarExe, 5000, 0},
      {"identifier 2 after one too near the end", {u"", u"5995", u"5000"}, kRar, atRarExe, 5000, 0},
      {"identifier 7",
       {u"", other, other, other, other, other, other, u"5000"},
       kRar,
       atRarExe,
       5000,
       0},
      {"identifier 8 is not read",
       {u"", other, other, other, other, other, other, other, u"5000"},
       kRar,
       atRarExe,
       2000,
       0},
      {"stops at text", {u"", u"abc", u"5000"}, kRar, atRarExe, 2000, 0},
      {"stops at a missing string", {u"", u"", u"5000"}, kRar, atRarExe, 2000, 0},
      {"stops at the end of the file", {u"", u"6000", u"5000"}, kRar, atRarExe, 2000, 0},
      {"stops at a sign", {u"", u"+5000"}, kRar, atRarExe, 2000, 0},
      {"five characters are read", {u"", u"050009"}, kRar, atRarExe, 5000, 0},
      {"ace", {u"", u"5000"}, AceHeader(), atAceExe, 5000, 0},
      {"gzip cannot be read from a program", {u"", u"5000"}, kGzip, atUnsupported, 5000, 0},
      {"zip, offsets not adjusted",
       {u"", u"5000"},
       zip.bytes,
       atZipExe,
       5000 + int64_t(zip.central),
       5000},
      {"zip, offsets adjusted",
       {u"", u"5000"},
       adjustedZip.bytes,
       atZipExe,
       5000 + int64_t(adjustedZip.central),
       0},
      // Without an end record the resource's offset is where reading starts.
      {"zip without its end", {u"", u"5000"}, LocalPartOfZip(), atZipExe, 5000, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TDetected d = DetectBytes(program(c.strings, c.payload), "setup.exe");
    EXPECT_EQ(ArcTypeName(d.Type), ArcTypeName(c.type));
    EXPECT_EQ(d.HeaderOffset, c.headerOffset);
    EXPECT_EQ(d.OffsetAdjust, c.offsetAdjust);
    EXPECT_TRUE(d.HeadFlag & 0x20);
  }
}

// The first and last volumes of a `zip -s` set, on drives of several kinds.
TEST(DetectionFixtures, SpannedOrSplit) {
  VK_REQUIRE_TOOL("zip");
  test::TestFolder dir;
  Bytes noise(150000);
  std::mt19937 rng(11);
  for (uint8_t& b : noise) b = uint8_t(rng());
  test::WriteFileBytes(dir / "r.bin", noise);
  ASSERT_TRUE(test::RunToolOk({"zip", "-q", "-s", "64k", "s.zip", "r.bin"}, dir.Path()));

  constexpr int64_t kFloppy = 1457664;
  using platform::DriveType;
  struct TCase {
    const char* what;
    DriveType type;
    const char* label;
    int64_t totalBytes;
    TArcType expected;
  } cases[] = {
      {"floppy of a spanned set", DriveType::Removable, "PKBACK# 001", kFloppy, atZipDS},
      {"label in lower case", DriveType::Removable, "pkback# 002", kFloppy, atZipDS},
      {"the largest floppy", DriveType::Removable, "PKBACK# 001", 2915328, atZipDS},
      {"removable disk of 64 MB", DriveType::Removable, "PKBACK# 001", 64 << 20, atZipMV},
      {"floppy with another label", DriveType::Removable, "BACKUP", kFloppy, atZipMV},
      {"label without the space", DriveType::Removable, "PKBACK#001", kFloppy, atZipMV},
      {"floppy without a label", DriveType::Removable, "", kFloppy, atZipMV},
      {"fixed disk with the label", DriveType::Fixed, "PKBACK# 001", kFloppy, atZipMV},
  };
  int n = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string disk = dir / ("disk" + std::to_string(n++));
    std::filesystem::create_directory(disk);
    test::ConcatenateFiles(disk + "/s.z01", {dir / "s.z01"});
    test::ConcatenateFiles(disk + "/s.zip", {dir / "s.zip"});
    platform::FakeDrives drives;
    platform::DriveInfo info;
    info.Type = c.type;
    info.Label = c.label;
    info.TotalBytes = c.totalBytes;
    drives.Add(disk, info);

    TDetected first = test::DetectFile(disk + "/s.z01", &drives);
    EXPECT_EQ(ArcTypeName(first.Type), ArcTypeName(c.expected));
    EXPECT_EQ(first.HeaderOffset, 0);
    EXPECT_EQ(first.HeadFlag, 0x01);
    TDetected last = test::DetectFile(disk + "/s.zip", &drives);
    EXPECT_EQ(ArcTypeName(last.Type), ArcTypeName(c.expected));
    EXPECT_EQ(last.HeadFlag, 0x06);
  }

  // A drive that cannot be examined decides nothing.
  platform::FakeDrives none;
  EXPECT_EQ(test::DetectFile(dir / "s.z01", &none).Type, atNA);
}

// With nothing recognised at the start, a Zip64 locator's disk count tells a one-disk
// archive (0 or 1, both written in practice) from a volume of a set.
TEST(DetectionFixtures, Zip64DiskCount) {
  test::TestFolder dir;
  platform::FakeDrives drives;
  platform::DriveInfo fixed;
  fixed.Type = platform::DriveType::Fixed;
  fixed.TotalBytes = int64_t(1) << 40;
  drives.Add(dir.Path(), fixed);
  for (uint32_t disks : {0u, 1u, 2u}) {
    SCOPED_TRACE(disks);
    TZipFixture zip = MakeZip();
    test::AddZip64Records(zip, disks);
    const std::string path = dir / ("disks" + std::to_string(disks) + ".zip");
    test::WriteFileBytes(path, Cat(B("Read me first.\n"), zip.bytes));
    TDetected d = test::DetectFile(path, &drives);
    EXPECT_EQ(ArcTypeName(d.Type), ArcTypeName(disks <= 1 ? atZip : atZipMV));
    EXPECT_EQ(d.HeaderOffset, 15 + int64_t(zip.central));
    EXPECT_EQ(d.OffsetAdjust, 15);
    EXPECT_EQ(d.HeadFlag, 0x1F);
  }
}

// A volume that starts with the central directory (the set's last disk, holding only the
// directory) on a fixed disk.
TEST(DetectionFixtures, VolumeStartingWithTheCentralDirectory) {
  test::TestFolder dir;
  TZipFixture z = MakeZip();
  Bytes directory(z.bytes.begin() + std::ptrdiff_t(z.central), z.bytes.end());
  const size_t end = z.end - z.central;
  PutU16(&directory[end + 4], 1);   // this disk
  PutU16(&directory[end + 6], 1);   // where the directory starts
  PutU32(&directory[end + 16], 0);  // its offset on that disk
  test::WriteFileBytes(dir / "s.zip", directory);

  platform::FakeDrives drives;
  platform::DriveInfo fixed;
  fixed.Type = platform::DriveType::Fixed;
  fixed.TotalBytes = int64_t(1) << 40;
  drives.Add(dir.Path(), fixed);
  TDetected d = test::DetectFile(dir / "s.zip", &drives);
  EXPECT_EQ(ArcTypeName(d.Type), ArcTypeName(atZipMV));
  EXPECT_EQ(d.HeaderOffset, 0);
  EXPECT_EQ(d.HeadFlag, 0x06);
  // Without a drive to ask, nothing is decided.
  EXPECT_EQ(DetectBytes(directory, "s.zip").Type, atNA);
}

bool OffsetInFile(const TDetected& d, size_t size) {
  return d.HeaderOffset >= -1 && d.HeaderOffset < int64_t(std::max<size_t>(size, 1));
}

TEST(DetectionFixtures, EveryCutOfASmallZip) {
  const TZipFixture z = MakeZip("a short comment");
  for (size_t n = 0; n <= z.bytes.size(); ++n) {
    SCOPED_TRACE(n);
    TDetected d = DetectBytes(Bytes(z.bytes.begin(), z.bytes.begin() + std::ptrdiff_t(n)));
    EXPECT_TRUE(OffsetInFile(d, n)) << d.HeaderOffset;
    if (n < 20) {
      EXPECT_EQ(ArcTypeName(d.Type), ArcTypeName(atNA));
      continue;
    }
    EXPECT_EQ(ArcTypeName(d.Type), ArcTypeName(atZip));
    // Before the end record is whole the archive is taken from its start.
    if (n < z.end + 22) {
      EXPECT_EQ(d.HeaderOffset, 0);
    } else {
      EXPECT_EQ(d.HeaderOffset, int64_t(z.central));
    }
  }
}

// Damaged end records and central headers, with every field read from them checked
// against the file (the sanitizers watch the reads).
TEST(DetectionFixtures, DamagedZipRecords) {
  const TZipFixture z = MakeZip("comment");
  const size_t size = z.bytes.size();
  auto detect = [&](const Bytes& b, const std::string& what) {
    TDetected d = DetectBytes(b);
    EXPECT_TRUE(OffsetInFile(d, b.size())) << what << ": " << d.HeaderOffset;
    EXPECT_TRUE(d.Type == atZip || d.Type == atUnsupported) << what << ": " << ArcTypeName(d.Type);
  };
  // The largest values in every field of the end record and in the local-header offset.
  for (size_t field : {4, 6, 8, 10, 12, 14, 16, 18, 20}) {
    for (uint8_t v : {0x00, 0x7F, 0x80, 0xFF}) {
      Bytes b = z.bytes;
      b[z.end + field] = v;
      b[z.end + field + 1] = v;
      detect(b, "end record field " + std::to_string(field));
    }
  }
  for (uint32_t v : {0xFFFFFFFFu, 0xFFFFFFFEu, 0x7FFFFFFFu, uint32_t(size), uint32_t(size - 29)}) {
    Bytes b = z.bytes;
    PutU32(&b[z.central + 42], v);
    detect(b, "local offset " + std::to_string(v));
  }
  std::mt19937 rng(5);
  for (int round = 0; round < 4000; ++round) {
    Bytes b = z.bytes;
    for (int k = 0; k <= round % 3; ++k) {
      size_t at = round % 2 ? z.end + 4 + rng() % 18 : z.central + 4 + rng() % 42;
      b[at] = uint8_t(rng());
    }
    detect(b, "round " + std::to_string(round));
  }
}

}  // namespace
}  // namespace qel

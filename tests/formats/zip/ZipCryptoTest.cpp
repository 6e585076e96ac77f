// The ZipCrypto cipher against itself and against entries that Info-ZIP and 7-Zip made.
#include "codecs/crypto/ZipCrypto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "engine/base/SeedKeys.h"
#include "formats/zip/EncryptionMethod.h"
#include "tests/formats/zip/OneEntryZip.h"
#include "tests/support/PeerTools.h"

namespace qel::zip {
namespace {

using test::Bytes;

// Text and binary bytes, long enough that the key stream runs well past the header.
Bytes Content() {
  std::string text = "Encrypted entries keep their secrets.\n";
  Bytes b(text.begin(), text.end());
  for (int i = 0; i < 3000; ++i) b.push_back(uint8_t(i * 7 + (i >> 5)));
  return b;
}

uint32_t CrcOf(const Bytes& b) { return Crc32(0, b.data(), b.size()); }

// Most wrong passwords fail the one-byte check; a few pass it by chance.
int RejectedWrongPasswords(std::span<const uint8_t> header, uint8_t check) {
  int rejected = 0;
  for (const char* p : {"Secret", "secret ", "wrong", "12345", "", "secreT"})
    if (!CheckZipCryptoPassword(kDefaultDataKeys, p, header, check)) ++rejected;
  return rejected;
}

// A stored ZipCrypto entry: the right password passes the header check and deciphers the
// data to the original bytes; wrong ones are rejected by the check.
void ExpectStoredEntry(const Bytes& zip, const Bytes& content, bool dataDescriptor) {
  auto e = test::FirstEntry(zip);
  ASSERT_TRUE(e) << "unreadable archive";
  EXPECT_EQ(GetEncryptionMethod(e->local.Flags, e->extra), TEncryptionMethod::emZip_V2);
  EXPECT_EQ(bool(e->local.Flags & kFlagDataDescriptor), dataDescriptor);
  ASSERT_EQ(e->central.Method, 0);
  ASSERT_EQ(e->data.size(), content.size() + kZipCryptoHeaderSize);
  EXPECT_EQ(e->central.Crc, CrcOf(content));

  const uint8_t check = ZipCryptoCheckByte(e->local.Flags, e->central.Crc, e->local.DosDateTime);
  const std::span<const uint8_t> header(e->data.data(), kZipCryptoHeaderSize);
  auto keys = CheckZipCryptoPassword(kDefaultDataKeys, "secret", header, check);
  ASSERT_TRUE(keys);
  Bytes plain(e->data.begin() + kZipCryptoHeaderSize, e->data.end());
  keys->Decrypt(plain.data(), plain.size());
  EXPECT_EQ(plain, content);
  EXPECT_GT(RejectedWrongPasswords(header, check), 0);
}

TEST(ZipCryptoCipher, HeaderAndDataRoundTrip) {
  const Bytes content = Content();
  const uint32_t crc = CrcOf(content);
  TZipCryptoKeys keys(kDefaultDataKeys, "secret");
  auto header = MakeZipCryptoHeader(keys, crc);
  ASSERT_TRUE(header);
  Bytes data = content;
  TZipCryptoEncipher cipher(keys);
  cipher.Encipher(data.data(), 1001);  // the state runs on across blocks
  cipher.Encipher(data.data() + 1001, data.size() - 1001);
  EXPECT_NE(data, content);

  auto opened = CheckZipCryptoPassword(kDefaultDataKeys, "secret", *header, uint8_t(crc >> 24));
  ASSERT_TRUE(opened);
  opened->Decrypt(data.data(), data.size());
  EXPECT_EQ(data, content);
  EXPECT_GT(RejectedWrongPasswords(*header, uint8_t(crc >> 24)), 0);

  // The filler is random: the same password and CRC give another header each time.
  TZipCryptoKeys again(kDefaultDataKeys, "secret");
  EXPECT_NE(MakeZipCryptoHeader(again, crc), header);
}

// Info-ZIP's zip writes encrypted entries with a data descriptor even into a file, so
// its header carries the time check byte.
TEST(ZipCryptoPeers, InfoZipStored) {
  VK_REQUIRE_TOOL("zip");
  test::TestFolder dir;
  const Bytes content = Content();
  test::WriteFileBytes(dir / "f.bin", content);
  ASSERT_TRUE(test::RunToolOk({"zip", "-q", "-0", "-P", "secret", "a.zip", "f.bin"}, dir.Path()));
  ExpectStoredEntry(test::ReadFileBytes(dir / "a.zip"), content, true);
}

TEST(ZipCryptoPeers, SevenZipStored) {
  VK_REQUIRE_TOOL("7z");
  test::TestFolder dir;
  const Bytes content = Content();
  test::WriteFileBytes(dir / "f.bin", content);
  ASSERT_TRUE(test::RunToolOk(
      {"7z", "a", "-tzip", "-mx0", "-mem=ZipCrypto", "-psecret", "a.zip", "f.bin"}, dir.Path()));
  ExpectStoredEntry(test::ReadFileBytes(dir / "a.zip"), content, false);
}

// Written to a pipe, where zip cannot go back to fill in sizes and CRC.
TEST(ZipCryptoPeers, InfoZipStreamedChecksTheTime) {
  VK_REQUIRE_TOOL("zip");
  test::TestFolder dir;
  const Bytes content = Content();
  test::WriteFileBytes(dir / "f.bin", content);
  test::ToolRun run = test::RunTool({"zip", "-q", "-0", "-P", "secret", "-", "f.bin"}, dir.Path());
  ASSERT_TRUE(run.Ok()) << run.err;
  ExpectStoredEntry(Bytes(run.out.begin(), run.out.end()), content, true);
}

// Our header and data, read back by Info-ZIP's unzip.
TEST(ZipCryptoPeers, UnzipReadsOurEntry) {
  VK_REQUIRE_TOOL("unzip");
  test::TestFolder dir;
  const Bytes content = Content();
  LocalHeader h;
  h.Flags = kFlagEncrypted;
  h.DosDateTime = 0x58A96000;
  h.Crc = CrcOf(content);
  h.UncompressedSize = uint32_t(content.size());
  TZipCryptoKeys keys(kDefaultDataKeys, "secret");
  auto header = MakeZipCryptoHeader(keys, h.Crc);
  ASSERT_TRUE(header);
  Bytes data(header->begin(), header->end());
  Bytes body = content;
  TZipCryptoEncipher(keys).Encipher(body.data(), body.size());
  data.insert(data.end(), body.begin(), body.end());
  test::WriteFileBytes(dir / "a.zip", test::OneEntryZip(h, "f.bin", {}, data));

  test::ToolRun run = test::RunTool({"unzip", "-p", "-P", "secret", "a.zip", "f.bin"}, dir.Path());
  ASSERT_TRUE(run.Ok()) << run.err;
  EXPECT_EQ(Bytes(run.out.begin(), run.out.end()), content);
}

}  // namespace
}  // namespace qel::zip

// ZIP AES: key derivation, counter mode and authentication against themselves and against
// entries that 7-Zip and libarchive made; and our entries read back by them.
#include "formats/zip/ZipAes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/zip/EncryptionMethod.h"
#include "tests/codecs/crypto/Hex.h"
#include "tests/formats/zip/OneEntryZip.h"
#include "tests/support/PeerTools.h"

namespace qel::zip {
namespace {

using test::Bytes;
using test::ToHex;

// Over 256 blocks, so the counter carries into its second byte.
Bytes Content() {
  std::string text = "Authenticated entries tell when they were tampered with.\n";
  Bytes b(text.begin(), text.end());
  for (int i = 0; i < 6000; ++i) b.push_back(uint8_t(i * 13 + (i >> 6)));
  return b;
}

Bytes Salt(uint8_t strength) {
  Bytes salt(AesSaltSize(strength));
  for (size_t i = 0; i < salt.size(); ++i) salt[i] = uint8_t(i);
  return salt;
}

Bytes Encrypt(const TZipAesKeys& keys, Bytes data, size_t chunk, TAesAuthCode& code) {
  TZipAesEncipher cipher(keys);
  for (size_t at = 0; at < data.size(); at += chunk)
    cipher.Encipher(data.data() + at, std::min(chunk, data.size() - at));
  code = cipher.AuthCode();
  return data;
}

// Deciphers in pieces of `chunk` bytes; answers whether the code matched. With `workers`,
// large pieces have their code taken on another thread.
bool Decrypt(const TZipAesKeys& keys, Bytes& data, size_t chunk, std::span<const uint8_t> code,
             TWorkers* workers = nullptr) {
  TZipAesDecipher cipher(keys, workers);
  for (size_t at = 0; at < data.size(); at += chunk)
    cipher.Decipher(data.data() + at, std::min(chunk, data.size() - at));
  return cipher.AuthCodeMatches(code);
}

// PBKDF2 output split as AES key, HMAC key, verifier.
TEST(ZipAesKeys, DerivationOrder) {
  auto keys = DeriveZipAesKeys("secret", 1, Salt(1));
  ASSERT_TRUE(keys);
  EXPECT_EQ(ToHex(std::span(keys->AesKey).first(16)), "331c8b1028eff8d66fae0e01a8f84f3d");
  EXPECT_EQ(ToHex(std::span(keys->HmacKey).first(16)), "60ecd8ae6ef3055137e7ef3bfdaa033f");
  EXPECT_EQ(ToHex(keys->Verifier), "d77e");
  EXPECT_TRUE(CheckZipAesPassword("secret", 1, Salt(1), keys->Verifier));
}

TEST(ZipAesKeys, RefusedInput) {
  const std::string longest(kAesMaxPassword, 'p'), tooLong(kAesMaxPassword + 1, 'p');
  EXPECT_TRUE(DeriveZipAesKeys(longest, 3, Salt(3)));
  EXPECT_FALSE(DeriveZipAesKeys(tooLong, 3, Salt(3)));
  EXPECT_FALSE(StartZipAesEntry(tooLong, 3));
  EXPECT_FALSE(CheckZipAesPassword(tooLong, 3, Salt(3), Bytes(2)));
  EXPECT_FALSE(DeriveZipAesKeys("secret", 0, Salt(1)));
  EXPECT_FALSE(DeriveZipAesKeys("secret", 4, Salt(3)));
  EXPECT_FALSE(DeriveZipAesKeys("secret", 3, Salt(2)));  // salt of another strength
  EXPECT_FALSE(CheckZipAesPassword("secret", 3, Salt(3), Bytes(1)));
}

// The counter block counts from 1 in its first 8 bytes, little-endian.
TEST(ZipAesCipher, CounterBlocks) {
  auto keys = DeriveZipAesKeys("secret", 2, Salt(2));
  ASSERT_TRUE(keys);
  TAesAuthCode code;
  const Bytes stream = Encrypt(*keys, Bytes(16 * 257), 16 * 257, code);
  crypto::TAesEncryptor aes;
  ASSERT_TRUE(aes.SetKey(keys->AesKey.data(), 24));
  for (size_t block : {size_t(1), size_t(256), size_t(257)}) {
    uint8_t counter[16] = {uint8_t(block), uint8_t(block >> 8)}, expected[16];
    aes.EncryptBlocks(counter, expected, 1);
    EXPECT_EQ(Bytes(expected, expected + 16),
              Bytes(stream.begin() + 16 * (block - 1), stream.begin() + 16 * block))
        << block;
  }
}

// Callers hand over buffers of any size: the key stream and the code must not depend on it.
TEST(ZipAesCipher, ChunkSizesAndTampering) {
  const Bytes content = Content();
  const auto start = StartZipAesEntry("secret", 3);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->Preamble.size(), AesSaltSize(3) + kAesVerifierSize);
  TAesAuthCode code;
  const Bytes whole = Encrypt(start->Keys, content, content.size(), code);
  for (size_t chunk : {1, 17, 4096, 131070}) {
    TAesAuthCode c;
    EXPECT_EQ(Encrypt(start->Keys, content, chunk, c), whole) << chunk;
    EXPECT_EQ(c, code) << chunk;
  }
  Bytes data = whole;
  EXPECT_TRUE(Decrypt(start->Keys, data, 7, code));
  EXPECT_EQ(data, content);

  data = whole;
  data[3000] ^= 1;
  EXPECT_FALSE(Decrypt(start->Keys, data, 1000, code));

  // Pieces large enough to have their code taken on another thread, ending in a short one.
  Bytes large;
  for (int i = 0; i < 50; ++i) large.insert(large.end(), content.begin(), content.end());
  const Bytes sealed = Encrypt(start->Keys, large, large.size(), code);
  TWorkers workers(1);
  for (size_t at : {size_t(0), size_t(200000)}) {
    data = sealed;
    if (at) data[at] ^= 1;
    EXPECT_EQ(Decrypt(start->Keys, data, 70000, code, &workers), at == 0) << at;
    if (!at) {
      EXPECT_EQ(data, large);
    }
  }
}

// An AES entry a peer made: the verifier and the authentication code check out under the
// right password and not under a wrong one; a stored entry deciphers to the original.
void ExpectAesEntry(const Bytes& zip, const Bytes& content) {
  auto e = test::FirstEntry(zip);
  ASSERT_TRUE(e) << "unreadable archive";
  ASSERT_TRUE(e->extra.Aes);
  const TAesExtra aes = *e->extra.Aes;
  ASSERT_TRUE(IsAesStrength(aes.Strength));
  EXPECT_EQ(e->central.Method, 99);
  const int first = aes.VendorVersion == 1 ? 0 : 3;
  EXPECT_EQ(int(GetEncryptionMethod(e->local.Flags, e->extra)), first + aes.Strength - 1);

  const size_t saltSize = AesSaltSize(aes.Strength);
  ASSERT_GE(e->data.size(), saltSize + kAesVerifierSize + kAesAuthCodeSize);
  const std::span<const uint8_t> all(e->data);
  const auto salt = all.first(saltSize);
  const auto verifier = all.subspan(saltSize, kAesVerifierSize);
  const auto code = all.last(kAesAuthCodeSize);
  const Bytes cipher(e->data.begin() + std::ptrdiff_t(saltSize + kAesVerifierSize),
                     e->data.end() - kAesAuthCodeSize);

  auto keys = CheckZipAesPassword("secret", aes.Strength, salt, verifier);
  ASSERT_TRUE(keys);
  Bytes data = cipher;
  EXPECT_TRUE(Decrypt(*keys, data, 1000, code));
  if (aes.Method == 0) {
    EXPECT_EQ(data, content);
  }

  // A wrong password fails the verifier or, one time in 65536, the code.
  auto wrong = DeriveZipAesKeys("Secret", aes.Strength, salt);
  ASSERT_TRUE(wrong);
  data = cipher;
  EXPECT_TRUE(!std::ranges::equal(wrong->Verifier, verifier) || !Decrypt(*wrong, data, 99, code));
}

// Has the tool in argv[0] make a.zip from f.bin and checks its entry, whose compression
// method inside is `method`.
void CheckPeerEntry(const std::vector<std::string>& argv, uint16_t method) {
  VK_REQUIRE_TOOL(argv[0]);
  test::TestFolder dir;
  const Bytes content = Content();
  test::WriteFileBytes(dir / "f.bin", content);
  ASSERT_TRUE(test::RunToolOk(argv, dir.Path()));
  const Bytes zip = test::ReadFileBytes(dir / "a.zip");
  ExpectAesEntry(zip, content);
  auto e = test::FirstEntry(zip);
  ASSERT_TRUE(e && e->extra.Aes);
  EXPECT_EQ(e->extra.Aes->Method, method);
}

TEST(ZipAesPeers, SevenZipAes128) {
  CheckPeerEntry({"7z", "a", "-tzip", "-mem=AES128", "-psecret", "a.zip", "f.bin"}, 8);
}

TEST(ZipAesPeers, SevenZipAes256Stored) {
  CheckPeerEntry({"7z", "a", "-tzip", "-mx0", "-mem=AES256", "-psecret", "a.zip", "f.bin"}, 0);
}

TEST(ZipAesPeers, BsdtarAes256) {
  CheckPeerEntry({"bsdtar", "--format", "zip", "--options", "zip:encryption=aes256", "--passphrase",
                  "secret", "-cf", "a.zip", "f.bin"},
                 8);
}

TEST(ZipAesPeers, BsdtarAes128Stored) {
  CheckPeerEntry(
      {"bsdtar", "--format", "zip", "--options", "zip:encryption=aes128,zip:compression=store",
       "--passphrase", "secret", "-cf", "a.zip", "f.bin"},
      0);
}

// Our stored AE-2 entry (CRC 0), read back by 7-Zip and by libarchive.
TEST(ZipAesWriter, PeersReadOurEntry) {
  VK_REQUIRE_TOOL("7z");
  VK_REQUIRE_TOOL("bsdtar");
  test::TestFolder dir;
  const Bytes content = Content();
  auto start = StartZipAesEntry("secret", 3);
  ASSERT_TRUE(start);
  Bytes data = start->Preamble;
  TAesAuthCode code;
  const Bytes cipher = Encrypt(start->Keys, content, 16384, code);
  data.insert(data.end(), cipher.begin(), cipher.end());
  data.insert(data.end(), code.begin(), code.end());
  LocalHeader h;
  h.Flags = kFlagEncrypted;
  h.Method = 99;
  h.DosDateTime = 0x58A96000;
  h.UncompressedSize = uint32_t(content.size());
  Bytes extra;
  AppendAesField(extra, TAesExtra{2, kAesVendorId, 3, 0});
  test::WriteFileBytes(dir / "a.zip", test::OneEntryZip(h, "f.bin", extra, data));

  for (const std::vector<std::string>& argv :
       {std::vector<std::string>{"7z", "x", "-so", "-psecret", "a.zip"},
        std::vector<std::string>{"bsdtar", "-xOf", "a.zip", "--passphrase", "secret"}}) {
    test::ToolRun run = test::RunTool(argv, dir.Path());
    EXPECT_TRUE(run.Ok()) << argv[0] << ": " << run.err;
    EXPECT_EQ(Bytes(run.out.begin(), run.out.end()), content) << argv[0];
  }
}

}  // namespace
}  // namespace qel::zip

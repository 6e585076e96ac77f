#include "codecs/crypto/Aes.h"

#include <array>

namespace qel::crypto {
namespace {

// Multiplication in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr uint8_t XTime(uint8_t a) { return uint8_t((a << 1) ^ ((a & 0x80) ? 0x1B : 0)); }

constexpr uint8_t GfMul(uint8_t a, uint8_t b) {
  uint8_t r = 0;
  for (; b; b >>= 1, a = XTime(a))
    if (b & 1) r ^= a;
  return r;
}

// The multiplicative inverse as x^254 (x^255 = 1 for x != 0), by square and multiply so
// that building the tables stays within what compilers evaluate at compile time; 0 maps to 0.
constexpr uint8_t GfInverse(uint8_t x) {
  uint8_t r = 1;
  for (unsigned e = 254; e; e >>= 1, x = GfMul(x, x))
    if (e & 1) r = GfMul(r, x);
  return r;
}

// The S-box: the inverse followed by the affine transformation
// b ^ rotl(b, 1) ^ rotl(b, 2) ^ rotl(b, 3) ^ rotl(b, 4) ^ 0x63.
constexpr std::array<uint8_t, 256> MakeSBox() {
  std::array<uint8_t, 256> s{};
  for (int x = 0; x < 256; ++x) {
    uint8_t b = GfInverse(uint8_t(x));
    uint8_t r = b;
    for (int i = 0; i < 4; ++i) {
      b = uint8_t((b << 1) | (b >> 7));
      r ^= b;
    }
    s[x] = uint8_t(r ^ 0x63);
  }
  return s;
}

constexpr auto kSBox = MakeSBox();

constexpr uint32_t Ror8(uint32_t w) { return (w >> 8) | (w << 24); }

// One round's SubBytes, ShiftRows and MixColumns for a byte in row r of its column come
// down to a lookup in table r: each entry is the S-box value times the column (2, 1, 1, 3),
// rotated by r bytes.
struct TRoundTables {
  uint32_t T[4][256];
};

constexpr TRoundTables MakeRoundTables() {
  TRoundTables t{};
  for (int x = 0; x < 256; ++x) {
    const uint8_t s = kSBox[x];
    uint32_t w = uint32_t(GfMul(s, 2)) << 24 | uint32_t(s) << 16 | uint32_t(s) << 8 | GfMul(s, 3);
    for (int r = 0; r < 4; ++r, w = Ror8(w)) t.T[r][x] = w;
  }
  return t;
}

constexpr TRoundTables kTables = MakeRoundTables();

uint32_t Load32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void Store32(uint8_t* p, uint32_t w) {
  p[0] = uint8_t(w >> 24);
  p[1] = uint8_t(w >> 16);
  p[2] = uint8_t(w >> 8);
  p[3] = uint8_t(w);
}

uint32_t SubWord(uint32_t w) {
  return uint32_t(kSBox[w >> 24]) << 24 | uint32_t(kSBox[(w >> 16) & 0xFF]) << 16 |
         uint32_t(kSBox[(w >> 8) & 0xFF]) << 8 | kSBox[w & 0xFF];
}

// The last round has no MixColumns: each output byte is the S-box value of the byte that
// ShiftRows brings to its row.
uint32_t LastColumn(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return uint32_t(kSBox[a >> 24]) << 24 | uint32_t(kSBox[(b >> 16) & 0xFF]) << 16 |
         uint32_t(kSBox[(c >> 8) & 0xFF]) << 8 | kSBox[d & 0xFF];
}

}  // namespace

bool AesSetKey(TAesKey& key, const uint8_t* bytes, size_t size) {
  key.Rounds = 0;
  if (size != 16 && size != 24 && size != 32) return false;
  const int nk = int(size / 4);
  const int total = 4 * (nk + 7);
  uint32_t* w = key.RoundKeys;
  for (int i = 0; i < nk; ++i) w[i] = Load32(bytes + 4 * i);
  uint8_t rcon = 1;
  for (int i = nk; i < total; ++i) {
    uint32_t t = w[i - 1];
    if (i % nk == 0) {
      t = SubWord((t << 8) | (t >> 24)) ^ (uint32_t(rcon) << 24);
      rcon = XTime(rcon);
    } else if (nk > 6 && i % nk == 4) {
      t = SubWord(t);
    }
    w[i] = w[i - nk] ^ t;
  }
  key.Rounds = nk + 6;
  return true;
}

void AesEncryptBlock(const TAesKey& key, const uint8_t* in, uint8_t* out) {
  const uint32_t* rk = key.RoundKeys;
  const auto& T = kTables.T;
  uint32_t s0 = Load32(in) ^ rk[0];
  uint32_t s1 = Load32(in + 4) ^ rk[1];
  uint32_t s2 = Load32(in + 8) ^ rk[2];
  uint32_t s3 = Load32(in + 12) ^ rk[3];
  // Row r of the new column c comes from old column c + r (ShiftRows).
  for (int round = 1; round < key.Rounds; ++round) {
    rk += 4;
    const uint32_t t0 =
        T[0][s0 >> 24] ^ T[1][(s1 >> 16) & 0xFF] ^ T[2][(s2 >> 8) & 0xFF] ^ T[3][s3 & 0xFF] ^ rk[0];
    const uint32_t t1 =
        T[0][s1 >> 24] ^ T[1][(s2 >> 16) & 0xFF] ^ T[2][(s3 >> 8) & 0xFF] ^ T[3][s0 & 0xFF] ^ rk[1];
    const uint32_t t2 =
        T[0][s2 >> 24] ^ T[1][(s3 >> 16) & 0xFF] ^ T[2][(s0 >> 8) & 0xFF] ^ T[3][s1 & 0xFF] ^ rk[2];
    const uint32_t t3 =
        T[0][s3 >> 24] ^ T[1][(s0 >> 16) & 0xFF] ^ T[2][(s1 >> 8) & 0xFF] ^ T[3][s2 & 0xFF] ^ rk[3];
    s0 = t0;
    s1 = t1;
    s2 = t2;
    s3 = t3;
  }
  rk += 4;
  Store32(out, LastColumn(s0, s1, s2, s3) ^ rk[0]);
  Store32(out + 4, LastColumn(s1, s2, s3, s0) ^ rk[1]);
  Store32(out + 8, LastColumn(s2, s3, s0, s1) ^ rk[2]);
  Store32(out + 12, LastColumn(s3, s0, s1, s2) ^ rk[3]);
}

}  // namespace qel::crypto

#include <gtest/gtest.h>

#include <algorithm>

#include "cipher/fibonacci/fibonacci.h"
#include "tests/cipher/reference.h"
#include "tests/cipher/streams.h"

namespace qor {
namespace {

using test::Bytes;
using test::RandomBytes;
using test::RandomKey;

const auto Encrypt = &test::FibonacciEncrypted;

using Decrypted = test::Decrypted<FibonacciDecryptResult>;

Decrypted Decrypt(const Bytes& encrypted, const CipherKey& key) {
  return test::RunDecryption(DecryptFibonacci, encrypted, key);
}

// Inputs that make values repeat through their whole cycles, so that the
// later forms of every cycle are read back too.
Bytes FewValues(std::mt19937& rng, std::size_t size, int distinct) {
  std::uniform_int_distribution<int> pick(0, distinct - 1), base(0, 255);
  const int offset = base(rng);
  Bytes b(size);
  for (auto& x : b) x = static_cast<std::uint8_t>(offset + pick(rng) * 37);
  return b;
}

TEST(DecryptFibonacciTest, RoundTripsAreExact) {
  std::mt19937 rng(61);
  std::uniform_int_distribution<int> length(0, 300);
  for (int trial = 0; trial < 600; ++trial) {
    const CipherKey key = RandomKey(rng);
    const std::size_t n = static_cast<std::size_t>(length(rng));
    const Bytes input = trial % 2 ? RandomBytes(rng, n) : FewValues(rng, n, 1 + trial % 5);
    const Decrypted d = Decrypt(Encrypt(input, key), key);
    ASSERT_TRUE(d.result.ok()) << "trial " << trial << " at " << d.result.badOffset;
    if (input.empty()) {
      EXPECT_EQ(d.output, Bytes{0x00});
    } else {
      ASSERT_EQ(d.output, input) << "trial " << trial;
    }
  }
}

TEST(DecryptFibonacciTest, LongInputCrossesBlocks) {
  std::mt19937 rng(62);
  const CipherKey key("Clave7!");
  for (std::size_t n : {std::size_t{65520}, std::size_t{65521}, std::size_t{200001}}) {
    const Bytes input = RandomBytes(rng, n);
    const Decrypted d = Decrypt(Encrypt(input, key), key);
    ASSERT_TRUE(d.result.ok());
    EXPECT_EQ(d.output, input);
  }
}

TEST(DecryptFibonacciTest, TwoByteFileOfZeroIsTheOneAmbiguity) {
  const CipherKey key("k");
  const Decrypted empty = Decrypt(Encrypt({}, key), key);
  EXPECT_TRUE(empty.result.ok());
  EXPECT_TRUE(empty.result.couldBeEmpty);
  EXPECT_EQ(empty.output, Bytes{0x00});
  const Decrypted zero = Decrypt(Encrypt({0x00}, key), key);
  EXPECT_TRUE(zero.result.couldBeEmpty);
  EXPECT_EQ(zero.output, Bytes{0x00});
  for (const Bytes& other : {Bytes{0x01}, Bytes{0x00, 0x00}, Bytes{0x00, 0x00, 0x00}}) {
    const Decrypted d = Decrypt(Encrypt(other, key), key);
    EXPECT_FALSE(d.result.couldBeEmpty);
    EXPECT_EQ(d.output, other);
  }
}

TEST(DecryptFibonacciTest, LengthsEncryptionNeverWrites) {
  const CipherKey key("abc");
  for (const Bytes& bad : {Bytes{}, Bytes{0x08}, Bytes(4, 0x10), Bytes(7, 0x10), Bytes(301, 0x10)}) {
    const Decrypted d = Decrypt(bad, key);
    EXPECT_FALSE(d.result.ok()) << bad.size();
    EXPECT_TRUE(d.output.empty()) << bad.size();
  }
}

// How many of `trials` files of `size` random bytes decrypt as good with a
// key that differs from theirs in one byte.
int WrongKeyPasses(std::mt19937& rng, std::size_t size, int trials) {
  int passes = 0;
  for (int trial = 0; trial < trials; ++trial) {
    const CipherKey key = RandomKey(rng);
    const CipherKey wrong = test::OneByteOff(rng, key);
    if (Decrypt(Encrypt(RandomBytes(rng, size), key), wrong).result.ok()) ++passes;
  }
  return passes;
}

// A file that passes with the other key is that key's encryption of another
// text, so no check can refuse every one; with a 7-byte key a 16-byte file
// has only three or four bytes mixed with the changed byte. From 64 bytes on
// none got through in 200000 trials.
TEST(DecryptFibonacciTest, KeyOffByOneByteIsRefused) {
  std::mt19937 rng(63);
  EXPECT_EQ(WrongKeyPasses(rng, 64, 4000), 0);
  EXPECT_EQ(WrongKeyPasses(rng, 333, 1000), 0);
  EXPECT_LE(WrongKeyPasses(rng, 16, 10000), 50);  // measured: 0.18%
}

TEST(DecryptFibonacciTest, DamageIsFoundAndWritingStopsThere) {
  std::mt19937 rng(64);
  const CipherKey key("Pe\xF1" "a");
  const Bytes input = RandomBytes(rng, 1001);
  const Bytes good = Encrypt(input, key);
  int found = 0;
  for (std::size_t at = 0; at < good.size(); ++at) {
    Bytes damaged = good;
    damaged[at] ^= static_cast<std::uint8_t>(1u << (at % 8));
    const Decrypted d = Decrypt(damaged, key);
    if (d.result.ok()) continue;
    ++found;
    // Found at the damaged group or later (when the damage made another
    // value's current form), and all written up to the bad group: what
    // was written encrypts, byte by byte as described, to the damaged file
    // up to there, so no group that fails got through.
    EXPECT_GE(d.result.badOffset, static_cast<std::int64_t>(at / 3 * 3));
    ASSERT_EQ(d.output.size(), static_cast<std::size_t>(d.result.badOffset / 3 * 2));
    if (d.output.empty()) continue;
    const Bytes again = test::RunMethod(test::ReferenceFibonacci, d.output, key);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), damaged.begin())) << "damage at " << at;
  }
  // A flipped bit can only pass where it turns one form into the current
  // form of another value; later occurrences then fail.
  EXPECT_GT(found, static_cast<int>(good.size()) * 95 / 100);
}

TEST(DecryptFibonacciTest, CutLastGroupIsCheckedOnWhatItKept) {
  const CipherKey key("xyz");
  const Bytes input{0x61, 0x62, 0x63};
  Bytes enc = Encrypt(input, key);
  ASSERT_EQ(enc.size(), 5u);
  // Byte 4 holds the first form's digits 8..11 and the filler's 11..8.
  for (int bit = 0; bit < 4; ++bit) {
    Bytes damaged = enc;
    damaged[4] ^= static_cast<std::uint8_t>(1u << bit);
    EXPECT_FALSE(Decrypt(damaged, key).result.ok()) << bit;
  }
}

}  // namespace
}  // namespace qor

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/fibonacci/group_layout.h"

#include <gtest/gtest.h>

#include "tests/cipher/reference.h"
#include "tests/cipher/streams.h"

namespace qor {
namespace {

using test::Bytes;
using test::PackForms;
using test::RunMethod;

const auto Encrypt = &test::FibonacciEncrypted;

// Applies the output-wide mixing rule to unmixed group bytes: byte m takes
// key byte m mod L, added when m mod 3 is 0 or 2, subtracted when it is 1.
Bytes Mix(const Bytes& groups, const CipherKey& key) {
  Bytes out = groups;
  for (std::size_t m = 0; m < out.size(); ++m) {
    const std::uint8_t k = key.bytes[m % key.length];
    out[m] = static_cast<std::uint8_t>(m % 3 == 1 ? out[m] - k : out[m] + k);
  }
  return out;
}

TEST(HalfTurnTest, FlipsTheHighBit) {
  for (int v = 0; v < 256; ++v) {
    std::int32_t x = v;
    HalfTurn(x);
    EXPECT_EQ(x, v ^ 0x80);
  }
}

TEST(PackFormsTest, LayoutOfTheTwoForms) {
  FibonacciDigits a{}, b{};
  a[0] = 1;   // byte 0 bit 7
  a[11] = 1;  // byte 1 bit 4
  b[11] = 1;  // byte 1 bit 3
  b[0] = 1;   // byte 2 bit 0
  FibonacciGroup g{};
  PackForms(a, b, g);
  EXPECT_EQ(g, (FibonacciGroup{0x80, 0x18, 0x01}));
  a.fill(0), b.fill(0);
  a[7] = a[8] = 1;  // byte 0 bit 0, byte 1 bit 7
  b[8] = b[7] = 1;  // byte 1 bit 0, byte 2 bit 7
  g = {};
  PackForms(a, b, g);
  EXPECT_EQ(g, (FibonacciGroup{0x01, 0x81, 0x80}));
}

TEST(MixTripletTest, KeyRunsOnFromGroupToGroup) {
  const CipherKey key("\x01\x02\x03\x04\x05\x06\x07");
  for (std::int64_t g = 0; g < 20; ++g) {
    FibonacciGroup group{100, 100, 100};
    MixTriplet(group, 2 * g + 2, key);
    const int j = static_cast<int>(3 * g % 7);
    EXPECT_EQ(group[0], 100 + key.bytes[j]);
    EXPECT_EQ(group[1], 100 - key.bytes[(j + 1) % 7]);
    EXPECT_EQ(group[2], 100 + key.bytes[(j + 2) % 7]);
  }
}

TEST(MixTripletTest, HugePositionsKeepTheIndexThreeGModL) {
  const CipherKey key("abcdefg");
  for (std::int64_t g : {std::int64_t{1} << 31, (std::int64_t{1} << 61) + 5, (std::int64_t{1} << 62) - 2}) {
    FibonacciGroup group{0, 0, 0};
    MixTriplet(group, 2 * g + 2, key);
    const int j = static_cast<int>((g % 7) * 3 % 7);
    EXPECT_EQ(group[0], key.bytes[j]) << g;
  }
}

TEST(EncryptFibonacciTest, EmptyInputIsOneCutGroupOfFillers) {
  const CipherKey key("\x10\x20");
  EXPECT_EQ(Encrypt({}, key), Mix({0x08, 0xA5}, key));
  // The single byte 0x00 gives the same two bytes.
  EXPECT_EQ(Encrypt({0x00}, key), Mix({0x08, 0xA5}, key));
}

TEST(EncryptFibonacciTest, WorkedGroups) {
  const CipherKey key("Cl\xF1ve!x");
  EXPECT_EQ(Encrypt({0x61, 0x62}, key), Mix({0x09, 0x5A, 0x92}, key));
  EXPECT_EQ(Encrypt({0x61, 0x61}, key), Mix({0x09, 0x5A, 0x8C}, key));
  EXPECT_EQ(Encrypt({0x61, 0x62, 0x63}, key), Mix({0x09, 0x5A, 0x92, 0x29, 0x55}, key));
  EXPECT_EQ(Encrypt({0x61, 0x62, 0x61, 0x62}, key), Mix({0x09, 0x5A, 0x92, 0x31, 0x5A, 0x91}, key));
  EXPECT_EQ(Encrypt({0x80, 0x80}, key), Mix({0x00, 0x00, 0x00}, key));
}

TEST(EncryptFibonacciTest, OutputLengths) {
  std::mt19937 rng(5);
  const std::size_t block = 64960;
  const std::size_t sizes[] = {0, 1, 2, 3, 2239, 2240, 2241, block - 1, block, block + 1, block + 2};
  for (std::size_t n : sizes) {
    const Bytes out = Encrypt(test::RandomBytes(rng, n), CipherKey("k"));
    const std::size_t expected = n == 0 ? 2 : n % 2 == 0 ? 3 * n / 2 : (3 * n + 1) / 2;
    EXPECT_EQ(out.size(), expected) << "n " << n;
    EXPECT_EQ(FibonacciOutputLength(static_cast<std::int64_t>(n)), static_cast<std::int64_t>(expected));
  }
  EXPECT_EQ(FibonacciOutputLength(-1), 2);
  EXPECT_EQ(FibonacciOutputLength(std::int64_t{3} << 40), std::int64_t{9} << 39);
}

TEST(EncryptFibonacciTest, MatchesByteByByteDescriptionAcrossBlockBoundaries) {
  std::mt19937 rng(4321);
  const std::size_t block = 64960;  // input bytes per block
  const std::size_t sizes[] = {1, 2, 5, 2239, 2240, 2241, block - 1, block, block + 1, 2 * block + 3, 9 * block + 1};
  for (std::size_t size : sizes) {
    const Bytes input = test::RandomBytes(rng, size);
    const CipherKey key = test::RandomKey(rng);
    EXPECT_EQ(Encrypt(input, key), RunMethod(test::ReferenceFibonacci, input, key)) << "size " << size;
  }
}

TEST(EncryptFibonacciTest, UnmixedFormsAddUpToTheTurnedBytes) {
  std::mt19937 rng(77);
  const Bytes input = test::RandomBytes(rng, 3000);
  const CipherKey key = test::RandomKey(rng);
  const Bytes out = Encrypt(input, key);
  // Undo the mixing, then read back both forms of every group.
  Bytes groups = out;
  for (std::size_t m = 0; m < groups.size(); ++m) {
    const std::uint8_t k = key.bytes[m % key.length];
    groups[m] = static_cast<std::uint8_t>(m % 3 == 1 ? groups[m] + k : groups[m] - k);
  }
  for (std::size_t g = 0; g < input.size() / 2; ++g) {
    const std::uint32_t bits = groups[3 * g] << 16 | groups[3 * g + 1] << 8 | groups[3 * g + 2];
    int first = 0, second = 0;
    for (int i = 0; i < 12; ++i) {
      if (bits & (1u << (23 - i))) first += kFibonacciBasis[i];
      if (bits & (1u << i)) second += kFibonacciBasis[i];
    }
    ASSERT_EQ(first, input[2 * g] ^ 0x80) << "group " << g;
    ASSERT_EQ(second, input[2 * g + 1] ^ 0x80) << "group " << g;
  }
}

TEST(EncryptFibonacciTest, EqualBytesChangeWithEachOccurrence) {
  const Bytes input(40, 'e');
  const Bytes out = Encrypt(input, CipherKey("\x01"));
  // 'e' turns into 229, a value with a cycle longer than one: neighbouring
  // groups of the same two letters are not all alike.
  std::set<std::array<std::uint8_t, 3>> distinct;
  for (std::size_t g = 0; g < out.size() / 3; ++g) distinct.insert({out[3 * g], out[3 * g + 1], out[3 * g + 2]});
  EXPECT_GT(distinct.size(), 1u);
}

TEST(EncryptFibonacciTest, SameInputAndKeyGiveSameBytes) {
  std::mt19937 rng(3);
  const Bytes input = test::RandomBytes(rng, 10001);
  const CipherKey key = test::RandomKey(rng);
  EXPECT_EQ(Encrypt(input, key), Encrypt(input, key));
}

TEST(EncryptFibonacciTest, SignedAndUnsignedKeyBytesAgree) {
  // 0xF1 added is 15 subtracted: a key of 0xF1 and the arithmetic mod 256 agree.
  const Bytes a = Encrypt({0x61, 0x62}, CipherKey("\xF1"));
  EXPECT_EQ(a, (Bytes{0x09 - 15 + 256, 0x5A + 15, 0x92 - 15}));
}

}  // namespace
}  // namespace qor

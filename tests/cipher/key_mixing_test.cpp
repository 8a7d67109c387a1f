#include "cipher/key_mixing.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

TEST(CipherKeyTest, TakesAtMostSevenBytesAndCountsToFirstZero) {
  const CipherKey longKey("ABCDEFGHIJ");
  EXPECT_EQ(longKey.length, 7);
  EXPECT_EQ(longKey.bytes[6], 'G');
  EXPECT_EQ(longKey.bytes[7], 0);

  const CipherKey one("x");
  EXPECT_EQ(one.length, 1);
  for (int i = 1; i < 8; ++i) EXPECT_EQ(one.bytes[i], 0) << i;

  // A zero byte inside the text ends the key there.
  const CipherKey cut(std::string_view("ab\0cd", 5));
  EXPECT_EQ(cut.length, 2);

  // High-bit bytes are ordinary key bytes.
  const CipherKey spanish("\xF1\xD1");
  EXPECT_EQ(spanish.length, 2);
  EXPECT_EQ(spanish.bytes[0], 0xF1);
  EXPECT_EQ(spanish.bytes[1], 0xD1);
}

std::uint8_t Mixed(std::uint8_t code, std::int64_t position, const CipherKey& key) {
  MixStreamByte(code, position, key);
  return code;
}

TEST(MixStreamByteTest, KeyBytesInTurnAlternatingAddAndSubtract) {
  const CipherKey key("\x03\x05\x07");
  // position: 1 2 3 4 5 6 7 -> k0+ k1- k2+ k0- k1+ k2- k0+
  const int expected[] = {100 + 3, 100 - 5, 100 + 7, 100 - 3, 100 + 5, 100 - 7, 100 + 3};
  for (int p = 1; p <= 7; ++p) EXPECT_EQ(Mixed(100, p, key), expected[p - 1]) << "position " << p;
}

TEST(MixStreamByteTest, WrapsModulo256) {
  const CipherKey key("\xF1");
  EXPECT_EQ(Mixed(20, 1, key), 5);         // 20 + 241 - 256; adding 0xF1 is subtracting 15
  EXPECT_EQ(Mixed(0, 2, key), 256 - 0xF1);  // 0 - 241 + 256
  EXPECT_EQ(Mixed(200, 3, CipherKey("d")), (200 + 'd') - 256);
}

TEST(MixStreamByteTest, EvenLengthKeepsEachKeyByteOnOneTurn) {
  const CipherKey key("\x01\x02");
  for (int p = 1; p <= 20; p += 2) EXPECT_EQ(Mixed(50, p, key), 51);
  for (int p = 2; p <= 20; p += 2) EXPECT_EQ(Mixed(50, p, key), 48);
}

TEST(MixStreamByteTest, LargePositionsFollowTheSameRule) {
  const CipherKey key("abcdefg");
  const std::int64_t p = (std::int64_t{1} << 40) + 3;  // index 2^40 + 2: even
  const int k = key.bytes[((p - 1) % 7)];
  EXPECT_EQ(Mixed(10, p, key), (10 + k) % 256);
}

TEST(StreamMixPatternTest, RepeatsMixStreamByteOverTheWholeCycle) {
  for (const char* text : {"a", "ab", "abc", "abcd", "\xF1\xFF\x01zz", "abcdef", "1234567"}) {
    const CipherKey key(text);
    const auto pattern = StreamMixPattern(key);
    for (std::int64_t p = 1; p <= 3 * kMixCycle; ++p) {
      const auto expected = Mixed(0, p, key);
      ASSERT_EQ(pattern[(p - 1) % kMixCycle], expected) << text << " position " << p;
    }
  }
}

}  // namespace
}  // namespace qor

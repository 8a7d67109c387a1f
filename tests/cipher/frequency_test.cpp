#include "cipher/frequency/frequency.h"

#include "cipher/frequency/code_table.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/cipher/reference.h"
#include "tests/cipher/streams.h"

namespace qor {
namespace {

using test::Bytes;
using test::FrequencyCounters;
using test::NextFrequencyCode;
using test::RunMethod;
using test::ToBytes;

std::vector<int> Codes(const std::string& text) {
  FrequencyCounters counters;
  std::vector<int> codes;
  for (char c : text) {
    auto code = NextFrequencyCode(static_cast<std::uint8_t>(c), counters);
    codes.push_back(code ? *code : -1);
  }
  return codes;
}

const auto Encrypt = &test::FrequencyEncrypted;

// Undoes the mixing of output bytes whose input positions are given.
std::vector<int> Unmix(const Bytes& out, const std::vector<std::int64_t>& positions, const CipherKey& key) {
  std::vector<int> codes;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::int64_t idx = positions[i] - 1;
    const int k = key.bytes[idx % key.length];
    codes.push_back(((idx % 2 == 0 ? out[i] - k : out[i] + k) % 256 + 256) % 256);
  }
  return codes;
}

TEST(FrequencyCodeTest, WorkedExamples) {
  EXPECT_EQ(Codes("Hola"), (std::vector<int>{16, 87, 78, 54}));
  EXPECT_EQ(Codes("aaaaa"), (std::vector<int>{54, 55, 56, 57, 54}));
  EXPECT_EQ(Codes("       "), (std::vector<int>{143, 144, 145, 146, 147, 148, 143}));
  EXPECT_EQ(Codes("aAaA"), (std::vector<int>{54, 0, 55, 1}));
  EXPECT_EQ(Codes("EEEEF"), (std::vector<int>{11, 12, 13, 14, 14}));
  EXPECT_EQ(Codes("\r\n\t"), (std::vector<int>{123, 120, 119}));
  EXPECT_EQ(Codes("\xD1\xF1\xD1\xF1"), (std::vector<int>{30, 86, 30, 86}));
  EXPECT_EQ(Codes("[`{~!@09"), (std::vector<int>{182, 187, 189, 192, 150, 181, 165, 174}));
}

TEST(FrequencyCodeTest, CasesWithDifferentCycleLengths) {
  EXPECT_EQ(Codes("DDDD"), (std::vector<int>{8, 9, 10, 8}));
  EXPECT_EQ(Codes("ddddd"), (std::vector<int>{62, 63, 64, 65, 62}));
  EXPECT_EQ(Codes("RRRR"), (std::vector<int>{37, 38, 39, 37}));
  EXPECT_EQ(Codes("rrrrr"), (std::vector<int>{93, 94, 95, 96, 93}));
  EXPECT_EQ(Codes("UUUU"), (std::vector<int>{46, 47, 48, 46}));
  EXPECT_EQ(Codes("uuu"), (std::vector<int>{103, 104, 103}));
}

TEST(FrequencyCodeTest, CountersIgnoreWhatLiesBetween) {
  EXPECT_EQ(Codes("a-b-a-c-a"), (std::vector<int>{54, 162, 58, 162, 55, 162, 59, 162, 56}));
}

TEST(FrequencyCodeTest, TableShape) {
  int dropped = 0, cycling = 0;
  std::multiset<int> codes;
  for (int b = 0; b < 256; ++b) {
    const FrequencyCode& c = FrequencyCodeTable[b];
    if (c.Dropped()) {
      ++dropped;
      EXPECT_TRUE(b == 0x7F || b >= 0x80) << b;
      continue;
    }
    if (c.cycle > 1) ++cycling;
    for (int k = 0; k < c.cycle; ++k) codes.insert(c.first + k);
  }
  EXPECT_EQ(dropped, 127);
  EXPECT_EQ(cycling, 29);
  EXPECT_EQ(*codes.rbegin(), 192);
  // 14 is both the fourth E and F; 142, 149 and 188 are never given.
  for (int code = 0; code <= 192; ++code) {
    const bool unused = code == 142 || code == 149 || code == 188;
    EXPECT_EQ(codes.count(code), code == 14 ? 2u : unused ? 0u : 1u) << code;
  }
}

TEST(FrequencyCodeTest, SpanishAccentsAndDelAreDropped) {
  for (int b : {0xE1, 0xE9, 0xED, 0xF3, 0xFA, 0xFC, 0xBF, 0xA1, 0x7F, 0x80, 0xFF})
    EXPECT_TRUE(FrequencyCodeTable[b].Dropped()) << b;
}

TEST(EncryptFrequencyTest, EmptyAndAllDroppedInputsGiveNothing) {
  const CipherKey key("k");
  EXPECT_TRUE(Encrypt({}, key).empty());
  EXPECT_TRUE(Encrypt(ToBytes("\xE1\xE9\x7F\xFF\x80"), key).empty());
}

TEST(EncryptFrequencyTest, OutputIsTheMixedCodesOfKeptBytes) {
  const CipherKey key("clave");
  const std::string text = "Hola, Se\xF1or.\r\n";
  const Bytes out = Encrypt(ToBytes(text), key);
  ASSERT_EQ(out.size(), text.size());
  std::vector<std::int64_t> positions;
  for (std::size_t i = 0; i < text.size(); ++i) positions.push_back(static_cast<std::int64_t>(i) + 1);
  EXPECT_EQ(Unmix(out, positions, key), Codes(text));
}

TEST(EncryptFrequencyTest, DroppedBytesUseUpPositions) {
  const CipherKey key("\x05\x09");
  // "a" alone: 54 + k0; after one dropped byte: 54 - k1.
  EXPECT_EQ(Encrypt(ToBytes("a"), key), (Bytes{54 + 5}));
  EXPECT_EQ(Encrypt(ToBytes("\xE9" "a"), key), (Bytes{54 - 9}));
  EXPECT_EQ(Encrypt(ToBytes("\xE9" "a"), CipherKey("\x05")), (Bytes{54 - 5}));
  // A text ending in a dropped byte ends with the last kept byte's code.
  EXPECT_EQ(Encrypt(ToBytes("a\xE9\xE9"), key), (Bytes{54 + 5}));
}

TEST(EncryptFrequencyTest, FourthEAndFMatchOnlyWhenKeyBytesSumTo256) {
  const Bytes eeeef = ToBytes("EEEEF");
  const Bytes a = Encrypt(eeeef, CipherKey("abcdefg"));
  EXPECT_NE(a[3], a[4]);
  // Position 4 subtracts key byte 3, position 5 adds key byte 4.
  const Bytes b = Encrypt(eeeef, CipherKey(std::string("abc\x80\x80", 5)));
  EXPECT_EQ(b[3], b[4]);
}

TEST(EncryptFrequencyTest, MultiByteTextKeepsOnlyAsciiAndD1F1) {
  const CipherKey key("k");
  // "ñ" in UTF-8 is C3 B1: both dropped. A lone D1 still gives Ñ's code.
  const Bytes out = Encrypt(ToBytes("\xC3\xB1" "a\xD1"), key);
  EXPECT_EQ(Unmix(out, {3, 4}, key), (std::vector<int>{54, 30}));
}

TEST(EncryptFrequencyTest, MatchesByteByByteDescriptionAcrossBlockBoundaries) {
  std::mt19937 rng(1234);
  const std::size_t block = 65520;
  const std::size_t sizes[] = {1, 2, 419, 420, 421, block - 1, block, block + 1, 2 * block + 7, 9 * block + 5};
  for (std::size_t size : sizes) {
    // Text-like bytes, with some that are dropped.
    Bytes input = test::RandomBytes(rng, size);
    for (auto& b : input) {
      if (b >= 0x80 && b % 4 != 0) b = static_cast<std::uint8_t>(b % 0x60 + 0x20);
    }
    const CipherKey key = test::RandomKey(rng);
    EXPECT_EQ(Encrypt(input, key), RunMethod(test::ReferenceFrequency, input, key)) << "size " << size;
  }
}

TEST(EncryptFrequencyTest, SameInputAndKeyGiveSameBytes) {
  std::mt19937 rng(99);
  const Bytes input = test::RandomBytes(rng, 5000);
  const CipherKey key = test::RandomKey(rng);
  EXPECT_EQ(Encrypt(input, key), Encrypt(input, key));
}

TEST(EncryptFrequencyTest, ReportsProgressUpToTheSize) {
  std::mt19937 rng(7);
  const Bytes input = test::RandomBytes(rng, 150000);
  const BlockPlan plan{6 * kLaneUnit};  // blocks of 40320 bytes: 4 of them
  std::int64_t last = -1, total = -1;
  int calls = 0;
  test::RunMethod(
      [&](std::FILE* in, std::FILE* out, const CipherKey& key) {
        EncryptFrequency(in, out, key, [&](std::int64_t done, std::int64_t all) {
          EXPECT_GT(done, last);
          last = done;
          total = all;
          ++calls;
          return true;
        }, plan);
      },
      input, CipherKey("k"));
  EXPECT_EQ(last, 150000);
  EXPECT_EQ(total, 150000);
  EXPECT_EQ(calls, 4);
}

}  // namespace
}  // namespace qor

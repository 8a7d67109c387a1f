// Encryption's judgement of its drops against decryption's own refusal,
// and the automatic choice's refusal of what frequency could not have made.
#include <gtest/gtest.h>

#include <random>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/code_table.h"
#include "cipher/frequency/drop_count.h"
#include "cipher/frequency/frequency.h"
#include "cipher/method.h"
#include "tests/cipher/streams.h"
#include "tests/cipher/texts.h"

namespace qor {
namespace {

using test::Bytes;

// Spanish text with an accented letter put in after every `gap` bytes or
// so, from far under the limit to far over it.
Bytes AccentedEvery(std::mt19937& rng, std::size_t size, int gap) {
  const Bytes text = test::SpanishText(rng, size, test::TextEncoding::kWindows1252);
  std::uniform_int_distribution<int> roll(1, 2 * gap - 1);
  Bytes out;
  int next = roll(rng);
  for (std::uint8_t b : text) {
    out.push_back(b);
    if (--next > 0) continue;
    out.push_back(static_cast<std::uint8_t>(0xE0 + rng() % 16));
    next = roll(rng);
  }
  return out;
}

TEST(DropJudgementTest, EncryptionRefusesWhateverDecryptionRefusesAndNamesTheCause) {
  std::mt19937 rng(12);
  int judgedRefused = 0, judgedTaken = 0, refusedForDrops = 0, refusedOtherwise = 0;
  for (int gap : {3, 4, 5, 6, 7, 8, 10, 14}) {
    for (std::size_t size : {40, 300, 3000}) {
      for (int i = 0; i < 6; ++i) {
        const Bytes plain = AccentedEvery(rng, size, gap);
        const CipherKey key = test::RandomKey(rng);
        FrequencyEncryptResult judged;
        const Bytes encrypted = test::RunMethod(
            [&](std::FILE* in, std::FILE* out, const CipherKey& k) { judged = EncryptFrequency(in, out, k); },
            plain, key);
        const auto back = test::RunDecryption(DecryptFrequency, encrypted, key);
        SCOPED_TRACE("gap " + std::to_string(gap) + " size " + std::to_string(size) + ": " +
                     std::to_string(judged.dropPlaces) + " drop places, decryption found " +
                     std::to_string(back.result.dropPoints));
        EXPECT_EQ(judged.codedBytes, static_cast<std::int64_t>(encrypted.size()));
        // Decryption may find fewer places than there are (two close ones
        // can read as one), never more: what it refuses, encryption did.
        EXPECT_TRUE(judged.tooManyDrops || back.result.ok());
        (judged.tooManyDrops ? judgedRefused : judgedTaken)++;
        if (back.result.ok()) continue;
        (back.result.status == DecryptStatus::kTooManyDrops ? refusedForDrops : refusedOtherwise)++;
        // A wrong key on the same file reads noise, not text with drops.
        const auto wrong = test::RunDecryption(DecryptFrequency, encrypted, test::OneByteOff(rng, key));
        EXPECT_NE(wrong.result.status, DecryptStatus::kTooManyDrops);
      }
    }
  }
  EXPECT_GT(judgedRefused, 40);
  EXPECT_GT(judgedTaken, 40);
  EXPECT_GT(refusedForDrops, refusedOtherwise / 2);
}

// Counts as decryption sees them: a run of dropped bytes followed by a kept
// one, unless its length is a whole number of the key's mixing periods.
std::int64_t PlacesByHand(const Bytes& input, int period) {
  std::int64_t places = 0, run = 0;
  for (std::uint8_t b : input) {
    if (FrequencyCodeTable[b].Dropped()) {
      ++run;
      continue;
    }
    places += run % period != 0;
    run = 0;
  }
  return places;
}

TEST(DropJudgementTest, DropCountMatchesAByteByByteCountWhereverBlocksEnd) {
  std::mt19937 rng(7);
  for (const char* keyText : {"a", "ab", "Clave77", "\x80\x80"}) {
    const CipherKey key(keyText);
    const int period = MixPeriod(StreamMixPattern(key));
    for (int share : {2, 30, 128, 250}) {  // of 256, bytes from 0x7F up
      Bytes input(3001);
      for (auto& b : input)
        b = static_cast<std::uint8_t>(static_cast<int>(rng() % 256) < share ? 0x7F + rng() % 129 : rng() % 0x7F);
      for (std::size_t block : {1, 7, 8, 13, 4096}) {
        DropCount count(key);
        for (std::size_t at = 0; at < input.size(); at += block)
          count.Add(input.data() + at, std::min(block, input.size() - at));
        SCOPED_TRACE(std::string("key ") + keyText + " share " + std::to_string(share) + " block " +
                     std::to_string(block));
        EXPECT_EQ(count.Result().dropPlaces, PlacesByHand(input, period));
      }
    }
  }
}

TEST(DropJudgementTest, AutomaticTakesFrequencyOnlyWhereItCouldHaveMadeTheFile) {
  std::mt19937 rng(13);
  int fibonacciAsFrequency = 0, namedFrequency = 0, textTaken = 0;
  constexpr int kFiles = 100;
  for (int i = 0; i < kFiles; ++i) {
    const CipherKey key = test::RandomKey(rng), wrong = test::OneByteOff(rng, key);
    const Bytes small = test::FibonacciEncrypted(test::RandomBytes(rng, 5), key);
    DecryptResult read;
    read.method = Method::kFrequency;
    read.frequency = test::RunDecryption(DecryptFrequency, small, wrong).result;
    fibonacciAsFrequency += Accepted(kAutomatic, read);
    namedFrequency += Accepted(Method::kFrequency, read);

    const Bytes text = test::FrequencyEncrypted(test::SpanishText(rng, 32, test::TextEncoding::kWindows1252), key);
    read.frequency = test::RunDecryption(DecryptFrequency, text, key).result;
    textTaken += Accepted(kAutomatic, read);
  }
  // Frequency's own checks pass most such files; auto takes few.
  EXPECT_GT(namedFrequency, kFiles * 3 / 4);
  EXPECT_LT(fibonacciAsFrequency, kFiles / 10);
  EXPECT_EQ(textTaken, kFiles);
}

}  // namespace
}  // namespace qor

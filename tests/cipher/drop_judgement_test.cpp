// Encryption's judgement of its drops against decryption's own refusal,
// and the automatic choice's refusal of what frequency could not have made.
#include <gtest/gtest.h>

#include <random>
#include <vector>

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
// one, unless its length is a whole number of the key's mixing periods;
// judged at each place and at the end.
FrequencyEncryptResult CountByHand(const Bytes& input, int period) {
  FrequencyEncryptResult r;
  std::int64_t run = 0, codedBeforeRun = 0;
  bool refusedOnTheWay = false;
  for (std::uint8_t b : input) {
    if (FrequencyCodeTable[b].Dropped()) {
      if (run++ == 0) codedBeforeRun = r.codedBytes;
      continue;
    }
    if (run % period != 0 && TooManyDropPlaces(++r.dropPlaces, codedBeforeRun, kDropsAheadOnTheWay))
      refusedOnTheWay = true;
    run = 0;
    ++r.codedBytes;
  }
  r.tooManyDrops = refusedOnTheWay || TooManyDropPlaces(r.dropPlaces, r.codedBytes, kDropsAheadAtEnd);
  return r;
}

// Bytes from 0x7F up, most of them dropped, as `share` of 256 of the bytes.
void FillWithHighShare(std::mt19937& rng, int share, Bytes::iterator from, Bytes::iterator to) {
  for (auto b = from; b != to; ++b)
    *b = static_cast<std::uint8_t>(static_cast<int>(rng() % 256) < share ? 0x7F + rng() % 129 : rng() % 0x7F);
}

TEST(DropJudgementTest, DropCountMatchesAByteByByteCountWhereverBlocksEnd) {
  std::mt19937 rng(7);
  // Random inputs of one share of high bytes, and inputs whose front runs
  // just up to or just over the rate on the way while the whole stays under
  // it at the end: `lead` kept bytes, then `runs` times one dropped byte and
  // one kept (over the rate from 77 runs after 1 kept byte, not at 76).
  struct Shape {
    int share, lead, runs;
  };
  std::vector<Shape> shapes = {{2, 0, 0}, {30, 0, 0}, {128, 0, 0}, {250, 0, 0}};
  for (int lead = 0; lead <= 6; ++lead)
    for (int runs = 75; runs <= 79; ++runs) shapes.push_back({0, lead, runs});
  int onTheWayOnly = 0, frontTaken = 0;
  for (const char* keyText : {"a", "ab", "Clave77", "\x80\x80"}) {
    const CipherKey key(keyText);
    const int period = MixPeriod(StreamMixPattern(key));
    for (const Shape& shape : shapes) {
      Bytes input(3001);
      FillWithHighShare(rng, shape.share, input.begin(), input.end());
      for (int i = 0; i < shape.runs; ++i) input[static_cast<std::size_t>(shape.lead + 2 * i)] = 0xE9;  // é
      // Two more far after: the front's runs are judged inside a block, and
      // not last.
      if (shape.runs > 0) input[2980] = input[2990] = 0xE9;
      const FrequencyEncryptResult expected = CountByHand(input, period);
      if (shape.runs > 0 && period > 1) {
        const bool atEnd = TooManyDropPlaces(expected.dropPlaces, expected.codedBytes, kDropsAheadAtEnd);
        onTheWayOnly += expected.tooManyDrops && !atEnd;
        frontTaken += !expected.tooManyDrops;
      }
      for (std::size_t block : {1, 2, 7, 8, 13, 64, 100, 4096}) {
        // Counted block by block in order, and summed up block by block
        // apart and then joined.
        DropCount count(key), joined(key);
        for (std::size_t at = 0; at < input.size(); at += block) {
          const std::size_t n = std::min(block, input.size() - at);
          count.Add(input.data() + at, n);
          joined.Join(SummarizeDrops(input.data() + at, n, period), n);
        }
        SCOPED_TRACE(std::string("key ") + keyText + " share " + std::to_string(shape.share) + " lead " +
                     std::to_string(shape.lead) + " runs " + std::to_string(shape.runs) + " block " +
                     std::to_string(block));
        for (const DropCount* c : {&count, &joined}) {
          const FrequencyEncryptResult got = c->Result();
          EXPECT_EQ(got.dropPlaces, expected.dropPlaces);
          EXPECT_EQ(got.codedBytes, expected.codedBytes);
          EXPECT_EQ(got.tooManyDrops, expected.tooManyDrops);
        }
      }
    }
  }
  // The fronts fall on both sides of the judgement on the way.
  EXPECT_GT(onTheWayOnly, 0);
  EXPECT_GT(frontTaken, 0);
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

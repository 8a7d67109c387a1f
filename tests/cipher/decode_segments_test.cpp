#include "cipher/frequency/decode_segments.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cipher/frequency/frequency.h"
#include "tests/cipher/texts.h"

namespace qor {
namespace {

using test::Bytes;
using test::SpanishText;
using test::TextEncoding;
using test::ToBytes;

struct Decoded {
  FrequencyDecryptResult result;
  Bytes output;
  SegmentJoins joins;
};

Decoded Decrypt(const Bytes& encrypted, const CipherKey& key, const SegmentPlan& plan) {
  Decoded r;
  r.output = test::RunMethod(
      [&](std::FILE* in, std::FILE* out, const CipherKey& k) {
        r.result = DecryptFrequencyBySegments(in, out, k, {}, plan, &r.joins);
      },
      encrypted, key);
  return r;
}

// One segment over the whole file: the reading the segments must give.
Decoded OneReading(const Bytes& encrypted, const CipherKey& key) {
  return Decrypt(encrypted, key, {.segmentBytes = std::int64_t{1} << 40, .guessBytes = 0, .workers = 0});
}

void ExpectSame(const Decoded& a, const Decoded& b) {
  EXPECT_EQ(a.result.status, b.result.status);
  EXPECT_EQ(a.result.dropPoints, b.result.dropPoints);
  EXPECT_EQ(a.result.counterFixes, b.result.counterFixes);
  EXPECT_EQ(a.result.headBytes, b.result.headBytes);
  EXPECT_EQ(a.result.headCost, b.result.headCost);
  EXPECT_TRUE(a.output == b.output);
}

// Spanish prose whose accents drop bytes everywhere, so that drops fall
// near and across segment boundaries; and capitals where code 14 (the
// fourth E or an F) opens runs that cross them.
Bytes Capitals(std::mt19937& rng, std::size_t size) {
  static const char* const kWords[] = {"FE ", "EFE ", "FEEF ", "DEFENSA ", "EFECTO ", "FIEL ", "ESE ", "FASE "};
  std::string s;
  while (s.size() < size) s += kWords[rng() % 8];
  return ToBytes(s);
}

Bytes Accented(std::mt19937& rng, std::size_t size) { return SpanishText(rng, size, TextEncoding::kWindows1252); }

// Spanish prose in lowercase: no rare capital whose counter a short guess
// cannot learn, so that most guesses are right.
Bytes Lowercase(std::mt19937& rng, std::size_t size) {
  Bytes text = SpanishText(rng, size, TextEncoding::kWindows1252);
  for (std::uint8_t& b : text)
    if (b >= 'A' && b <= 'Z') b = static_cast<std::uint8_t>(b - 'A' + 'a');
  return text;
}

// Every segment size and worker count gives what one reading does: the
// same bytes, counts and judgement, for right and wrong keys.
TEST(DecodeSegmentsTest, SegmentsGiveWhatOneReadingGives) {
  struct Case {
    const char* name;
    Bytes (*text)(std::mt19937&, std::size_t);
    std::size_t size;
    std::int64_t segment, guess;
    bool wrongKey;
    // Whether any segment's guess holds, where that is known. Where a short
    // text needs drops this often, the reading through it leaves counters of
    // characters it never has where a guess seldom knows them.
    std::optional<bool> someStand;
  };
  const Case cases[] = {
      {"accents, small segments", Lowercase, 60000, 2048, 1024, false, std::nullopt},
      {"accents and capitals, odd segments", Accented, 60000, 3001, 3001, false, true},
      {"accents, tiny guess", Lowercase, 30000, 1500, 64, false, std::nullopt},
      {"E and F runs across boundaries", Capitals, 40000, 1000, 512, false, true},
      {"wrong key", Accented, 30000, 2048, 1024, true, false},
  };
  std::mt19937 rng(2718);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CipherKey key("Clave77");
    const Bytes text = c.text(rng, c.size);
    const Bytes encrypted = test::FrequencyEncrypted(text, key);
    const CipherKey readWith = c.wrongKey ? CipherKey("Otra1") : key;
    const Decoded reference = OneReading(encrypted, readWith);
    EXPECT_EQ(reference.result.ok(), !c.wrongKey);
    for (int workers : {0, 1, 2}) {
      SCOPED_TRACE(workers);
      const Decoded r = Decrypt(encrypted, readWith, {.segmentBytes = c.segment, .guessBytes = c.guess, .workers = workers});
      ExpectSame(r, reference);
      if (c.someStand) {
        EXPECT_EQ(r.joins.stood > 0, *c.someStand);
      }
    }
  }
}

// A segment whose guess is wrong is read again by the reading before it,
// and the file comes out as one reading gives it; with bytes to guess from,
// some segments stand.
TEST(DecodeSegmentsTest, WrongGuessIsReadAgain) {
  std::mt19937 rng(31);
  const CipherKey key("Clave77");
  const Bytes encrypted = test::FrequencyEncrypted(Accented(rng, 200000), key);
  const Decoded reference = OneReading(encrypted, key);
  // No bytes to guess from: the counters start at 0, which text rarely has,
  // and a segment's reading seldom comes to agree with the one before.
  const Decoded blind = Decrypt(encrypted, key, {.segmentBytes = 16384, .guessBytes = 0, .workers = 2});
  ExpectSame(blind, reference);
  EXPECT_GT(blind.joins.readAgain, 4 * blind.joins.stood);
  const Decoded guessed = Decrypt(encrypted, key, {.segmentBytes = 16384, .guessBytes = 8192, .workers = 2});
  ExpectSame(guessed, reference);
  EXPECT_GT(guessed.joins.stood, blind.joins.stood);
  // Guessed from a whole segment's bytes, about half stand (5 of 11 here;
  // over other texts from 2 to 7). Where a drop came just before a join
  // point, the reading before it, stopped there, read a shift behind; join
  // points after the start are taken a little further on (4 of 11 stood
  // before). In generated text rare capitals keep the counters a guess got
  // wrong, so that more cannot be asked of it.
  const Decoded longer = Decrypt(encrypted, key, {.segmentBytes = 16384, .guessBytes = 16384, .workers = 2});
  ExpectSame(longer, reference);
  EXPECT_GT(longer.joins.stood, guessed.joins.stood);
}

}  // namespace
}  // namespace qor

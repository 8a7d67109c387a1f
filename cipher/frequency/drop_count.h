// How many drops are too many, for encryption and decryption alike, and the
// count of drop places that encryption keeps as it reads.
//
// Decryption finds each place where bytes were dropped by a search, and
// refuses a file that needs more than real text does: that is its sign of a
// wrong key. Encryption counts the same places exactly and asks the same
// rule, so that it can tell when it makes a file its decryption will refuse.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "cipher/encrypt_result.h"
#include "cipher/key_mixing.h"

namespace qor {

// Real text, even with many accents, needs a drop every eleven bytes or so;
// a drop every six or fewer marks a wrong key or a foreign file.
inline constexpr std::int64_t kMinBytesPerDrop = 6;
// The whole file is judged at its end; on the way, once the drops run this
// far ahead of that rate, so that noise is refused early instead of
// searched through.
inline constexpr std::int64_t kDropsAheadOnTheWay = 64;
// At the end only 2 over that rate: a short real text may still need a drop
// or two more than its length gives.
inline constexpr std::int64_t kDropsAheadAtEnd = 2;

// The one rule: `dropPlaces` places in the first `codedBytes` coded bytes
// are too many when they run more than `ahead` over the rate above.
constexpr bool TooManyDropPlaces(std::int64_t dropPlaces, std::int64_t codedBytes, std::int64_t ahead) {
  return dropPlaces > ahead + codedBytes / kMinBytesPerDrop;
}

// What one block holds of the drop count, found on its own (on any
// thread) so that the count need only join the blocks in order: the run of
// dropped bytes that starts the block, which may go on one from the block
// before, and the runs after it, of which all but the last are whole.
struct DropSummary {
  std::size_t lead = 0;     // dropped bytes at the block's start
  std::int64_t dropped = 0;  // all dropped bytes in the block
  std::int64_t runs = 0;    // runs after the lead
  // The runs after the lead but the last: how many are places, and the
  // most that one of them runs over the rate as the judgement on the way
  // sees it: kMinBytesPerDrop * places - coded bytes before the run, both
  // counted from the block's start.
  std::int64_t places = 0;
  std::int64_t mostAhead = 0;
  // The last run, which the next block may go on: where it starts, its
  // length and the coded bytes before it, from the block's start.
  std::int64_t lastStart = 0;
  std::int64_t lastLength = 0;
  std::int64_t lastCodedBefore = 0;
};

// The drop runs of one block, for a key whose mixing repeats every `period`
// bytes.
DropSummary SummarizeDrops(const std::uint8_t* bytes, std::size_t count, int period);

// The same rule for one run's sums: with d = kMinBytesPerDrop, p places
// over c coded bytes are more than `ahead` over the rate (p > ahead + c / d,
// rounded down) exactly when d * p - c > d * ahead. A difference adds up
// over blocks, which the quotient does not.
constexpr bool TooManyDropPlacesAhead(std::int64_t placesTimesRateLessCoded, std::int64_t ahead) {
  return placesTimesRateLessCoded > kMinBytesPerDrop * ahead;
}

// Counts the drop places of an input read a block at a time, in order.
class DropCount {
 public:
  explicit DropCount(const CipherKey& key) : period_(MixPeriod(StreamMixPattern(key))) {}

  int Period() const { return period_; }
  void Add(const std::uint8_t* bytes, std::size_t count);
  // The same as Add on the block that `summary` was made of.
  void Join(const DropSummary& summary, std::size_t count);
  // After the last block. A run of dropped bytes at the very end is no
  // place: no code follows it, so decryption never looks for it.
  FrequencyEncryptResult Result() const;

 private:
  // Where the count stands after the bytes so far.
  struct Tally {
    std::int64_t dropped = 0;         // dropped bytes
    std::int64_t runEnd = -1;         // one past the open run of dropped bytes
    std::int64_t runLength = 0;
    std::int64_t runCodedBefore = 0;  // coded bytes before the open run
    std::int64_t places = 0;
    bool refusedOnTheWay = false;
  };
  // Counts the open run as a place, if the key's mixing lets it show.
  static void EndRun(Tally& t, int period);

  int period_;
  std::int64_t read_ = 0;  // input bytes before the current block
  Tally tally_;
};

}  // namespace qor

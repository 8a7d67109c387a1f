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

// Counts the drop places of an input read a block at a time, in order.
class DropCount {
 public:
  explicit DropCount(const CipherKey& key) : period_(MixPeriod(StreamMixPattern(key))) {}

  void Add(const std::uint8_t* bytes, std::size_t count);
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

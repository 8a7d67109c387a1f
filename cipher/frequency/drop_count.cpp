// The count looks at eight bytes at a time: only DEL and bytes from 0x80 up
// can be dropped, so a word of plain text costs one test; each candidate
// byte is then asked of the code table.
#include "cipher/frequency/drop_count.h"

#include <bit>
#include <cstring>

#include "cipher/frequency/code_table.h"

namespace qor {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;

// The high bit of each byte of `word` that is DEL or above: set already
// from 0x80 up, and carried into by 1 from a low part of 0x7F.
std::uint64_t CandidateBytes(std::uint64_t word) { return (word | ((word & kLowBits) + kOnes)) & kHighBits; }

}  // namespace

void DropCount::EndRun(Tally& t, int period) {
  if (t.runLength % period != 0) {
    ++t.places;
    if (TooManyDropPlaces(t.places, t.runCodedBefore, kDropsAheadOnTheWay)) t.refusedOnTheWay = true;
  }
  t.runLength = 0;
}

void DropCount::Add(const std::uint8_t* bytes, std::size_t count) {
  // The tally in locals, which the loop keeps in registers.
  Tally t = tally_;
  const int period = period_;
  const auto dropped = [&t, period](std::int64_t at) {
    if (at != t.runEnd) {
      EndRun(t, period);
      t.runCodedBefore = at - t.dropped;
    }
    t.runEnd = at + 1;
    ++t.runLength;
    ++t.dropped;
  };
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= count; i += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes + i, 8);
      for (std::uint64_t c = CandidateBytes(word); c != 0; c &= c - 1) {
        const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(c)) / 8;
        if (FrequencyCodeTable[bytes[at]].Dropped()) dropped(read_ + static_cast<std::int64_t>(at));
      }
    }
  }
  for (; i < count; ++i)
    if (FrequencyCodeTable[bytes[i]].Dropped()) dropped(read_ + static_cast<std::int64_t>(i));
  read_ += static_cast<std::int64_t>(count);
  tally_ = t;
}

FrequencyEncryptResult DropCount::Result() const {
  // A run that a kept byte follows is counted when the next run starts.
  Tally t = tally_;
  if (t.runLength > 0 && t.runEnd < read_) EndRun(t, period_);
  FrequencyEncryptResult result;
  result.dropPlaces = t.places;
  result.codedBytes = read_ - t.dropped;
  result.tooManyDrops =
      t.refusedOnTheWay || TooManyDropPlaces(result.dropPlaces, result.codedBytes, kDropsAheadAtEnd);
  return result;
}

}  // namespace qor

// The count looks at eight bytes at a time: only DEL and bytes from 0x80 up
// can be dropped, and most words of text hold none, so a block of plain
// text costs a test per word; each candidate byte is then asked of the code
// table.
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

void DropCount::AddDropped(std::int64_t at) {
  if (at != runEnd_) {
    EndRun();
    runCodedBefore_ = at - dropped_;
  }
  runEnd_ = at + 1;
  ++runLength_;
  ++dropped_;
}

void DropCount::EndRun() {
  if (runLength_ % period_ != 0) {
    ++places_;
    if (TooManyDropPlaces(places_, runCodedBefore_, kDropsAheadOnTheWay)) refusedOnTheWay_ = true;
  }
  runLength_ = 0;
}

void DropCount::Add(const std::uint8_t* bytes, std::size_t count) {
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= count; i += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes + i, 8);
      for (std::uint64_t c = CandidateBytes(word); c != 0; c &= c - 1) {
        const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(c)) / 8;
        if (FrequencyCodeTable[bytes[at]].Dropped()) AddDropped(read_ + static_cast<std::int64_t>(at));
      }
    }
  }
  for (; i < count; ++i)
    if (FrequencyCodeTable[bytes[i]].Dropped()) AddDropped(read_ + static_cast<std::int64_t>(i));
  read_ += static_cast<std::int64_t>(count);
}

FrequencyEncryptResult DropCount::Result() const {
  // A run that a kept byte follows is counted when the next run starts.
  DropCount ended = *this;
  if (runLength_ > 0 && runEnd_ < read_) ended.EndRun();
  FrequencyEncryptResult result;
  result.dropPlaces = ended.places_;
  result.codedBytes = read_ - dropped_;
  result.tooManyDrops =
      ended.refusedOnTheWay_ || TooManyDropPlaces(result.dropPlaces, result.codedBytes, kDropsAheadAtEnd);
  return result;
}

}  // namespace qor

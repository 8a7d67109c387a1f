// The count looks at eight bytes at a time: only DEL and bytes from 0x80 up
// can be dropped, so a word of plain text costs one test; each candidate
// byte is then asked of the code table.
#include "cipher/frequency/drop_count.h"

#include <algorithm>
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

// Calls dropped(at) for each dropped byte of the block, in order.
template <typename Dropped>
void ForEachDropped(const std::uint8_t* bytes, std::size_t count, Dropped dropped) {
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Sixteen bytes a step, as two words: most steps in text have a
    // candidate, but the loop costs less.
    const auto candidates = [&](std::uint64_t c, std::size_t from) {
      for (; c != 0; c &= c - 1) {
        const std::size_t at = from + static_cast<std::size_t>(std::countr_zero(c)) / 8;
        if (FrequencyCodeTable[bytes[at]].Dropped()) dropped(at);
      }
    };
    for (; i + 16 <= count; i += 16) {
      std::uint64_t words[2];
      std::memcpy(words, bytes + i, 16);
      candidates(CandidateBytes(words[0]), i);
      candidates(CandidateBytes(words[1]), i + 8);
    }
  }
  for (; i < count; ++i)
    if (FrequencyCodeTable[bytes[i]].Dropped()) dropped(i);
}

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
  const std::int64_t read = read_;
  ForEachDropped(bytes, count, [&t, period, read](std::size_t i) {
    const std::int64_t at = read + static_cast<std::int64_t>(i);
    if (at != t.runEnd) {
      EndRun(t, period);
      t.runCodedBefore = at - t.dropped;
    }
    t.runEnd = at + 1;
    ++t.runLength;
    ++t.dropped;
  });
  read_ += static_cast<std::int64_t>(count);
  tally_ = t;
}

DropSummary SummarizeDrops(const std::uint8_t* bytes, std::size_t count, int period) {
  DropSummary s;
  std::int64_t runEnd = -1;  // one past the last run
  ForEachDropped(bytes, count, [&s, &runEnd, period](std::size_t i) {
    const auto at = static_cast<std::int64_t>(i);
    ++s.dropped;
    if (s.runs == 0 && i == s.lead) {
      ++s.lead;
      return;
    }
    if (at != runEnd) {
      // The run before, if any, is whole: a kept byte follows it here.
      if (s.runs > 0 && s.lastLength % period != 0) {
        ++s.places;
        const std::int64_t ahead = kMinBytesPerDrop * s.places - s.lastCodedBefore;
        s.mostAhead = s.places == 1 ? ahead : std::max(s.mostAhead, ahead);
      }
      ++s.runs;
      s.lastStart = at;
      s.lastLength = 0;
      s.lastCodedBefore = at - (s.dropped - 1);
    }
    runEnd = at + 1;
    ++s.lastLength;
  });
  return s;
}

void DropCount::Join(const DropSummary& s, std::size_t count) {
  Tally t = tally_;
  const std::int64_t codedBefore = read_ - t.dropped;  // before the block
  if (s.lead > 0) {
    // The lead goes on with the open run if that one reaches the block.
    if (t.runEnd != read_) {
      EndRun(t, period_);
      t.runCodedBefore = codedBefore;
    }
    t.runLength += static_cast<std::int64_t>(s.lead);
    t.runEnd = read_ + static_cast<std::int64_t>(s.lead);
  }
  if (s.runs > 0) {
    EndRun(t, period_);
    if (s.places > 0 &&
        TooManyDropPlacesAhead(kMinBytesPerDrop * t.places - codedBefore + s.mostAhead, kDropsAheadOnTheWay))
      t.refusedOnTheWay = true;
    t.places += s.places;
    t.runCodedBefore = codedBefore + s.lastCodedBefore;
    t.runLength = s.lastLength;
    t.runEnd = read_ + s.lastStart + s.lastLength;
  }
  t.dropped += s.dropped;
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

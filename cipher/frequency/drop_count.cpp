// The count goes by runs of dropped bytes, found 64 bytes at a time from a
// mask with one bit a byte: text has a run every few dozen bytes, and most
// chunks of it can be counted without looking at each run.
#include "cipher/frequency/drop_count.h"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "cipher/frequency/code_table.h"

namespace qor {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;

// The high bit of each byte of `word` that is DEL or above: set already
// from 0x80 up, and carried into by 1 from a low part of 0x7F.
std::uint64_t CandidateBytes(std::uint64_t word) { return (word | ((word & kLowBits) + kOnes)) & kHighBits; }

// One bit a byte, in order, for the dropped bytes of `bytes[0, n)`, n at
// most 64. From DEL up the code table keeps only Ñ and ñ, which differ in
// one bit: a word of eight bytes costs a few operations and no branch.
std::uint64_t DroppedMask(const std::uint8_t* bytes, std::size_t n) {
  std::uint64_t mask = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes an instruction where the processor has it.
  const __m128i del = _mm_set1_epi8(0x7F), lowercase = _mm_set1_epi8(0x20);
  const __m128i enye = _mm_set1_epi8(static_cast<char>(0xF1));
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    const __m128i high = _mm_cmpeq_epi8(_mm_max_epu8(v, del), v);
    const __m128i isEnye = _mm_cmpeq_epi8(_mm_or_si128(v, lowercase), enye);
    mask |= std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_andnot_si128(isEnye, high)))} << i;
  }
#endif
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= n; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      const std::uint64_t enye = (word | 0x2020202020202020ull) ^ 0xF1F1F1F1F1F1F1F1ull;  // 0 at Ñ and ñ
      const std::uint64_t notEnye = (((enye & kLowBits) + kLowBits) | enye) & kHighBits;
      const std::uint64_t dropped = CandidateBytes(word) & notEnye;
      mask |= ((dropped >> 7) * 0x0102040810204080ull) >> 56 << i;
    }
  }
  for (; i < n; ++i) mask |= std::uint64_t{FrequencyCodeTable[bytes[i]].Dropped()} << i;
  return mask;
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
  Join(SummarizeDrops(bytes, count, period_), count);
}

DropSummary SummarizeDrops(const std::uint8_t* bytes, std::size_t count, int period) {
  DropSummary s;
  // Each run in order, whole: the one at the start is the lead; of the
  // others, each is a place when a kept byte follows it and its length
  // shows through the key's mixing, which only the next run tells.
  const auto run = [&s, period](std::int64_t start, std::int64_t length) {
    if (start == 0) {
      s.lead = static_cast<std::size_t>(length);
      s.dropped = length;
      return;
    }
    if (s.runs > 0 && (s.lastLength < period || s.lastLength % period != 0)) {
      ++s.places;
      const std::int64_t ahead = kMinBytesPerDrop * s.places - s.lastCodedBefore;
      s.mostAhead = s.places == 1 ? ahead : std::max(s.mostAhead, ahead);
    }
    ++s.runs;
    s.lastStart = start;
    s.lastLength = length;
    s.lastCodedBefore = start - s.dropped;
    s.dropped += length;
  };
  // The runs of 64 bytes at a time, from a mask of their dropped bytes; a
  // run that reaches a chunk's end stays open into the next.
  std::int64_t openStart = -1, openLength = 0;
  for (std::size_t base = 0; base < count; base += 64) {
    std::uint64_t d = DroppedMask(bytes + base, std::min<std::size_t>(64, count - base));
    const auto at = static_cast<std::int64_t>(base);
    if (openStart >= 0) {
      const int ones = std::countr_one(d);
      openLength += ones;
      if (ones == 64) continue;
      run(openStart, openLength);
      openStart = -1;
      d &= d + 1;
    }
    // Most chunks of text hold only lone dropped bytes, none at either end,
    // and come after the block's most ahead: their runs are counted whole.
    if (d != 0 && s.places > 0 && period > 1 && (d & (d >> 1)) == 0 && (d >> 63) == 0) {
      const auto k = static_cast<std::int64_t>(std::popcount(d));
      const std::int64_t firstAt = at + std::countr_zero(d);
      // No place here runs further ahead than this: each is counted with
      // at most k more places and at least the coded bytes before the first.
      const std::int64_t bound = kMinBytesPerDrop * (s.places + k) - std::min(s.lastCodedBefore, firstAt - s.dropped);
      if (bound <= s.mostAhead) {
        s.places += (s.lastLength < period || s.lastLength % period != 0) + (k - 1);
        s.runs += k;
        s.lastStart = at + 63 - std::countl_zero(d);
        s.lastLength = 1;
        s.lastCodedBefore = s.lastStart - (s.dropped + k - 1);
        s.dropped += k;
        continue;
      }
    }
    while (d != 0) {
      const int first = std::countr_zero(d);
      const int length = std::countr_one(d >> first);
      if (first + length == 64) {
        openStart = at + first;
        openLength = length;
        break;
      }
      run(at + first, length);
      d &= d + (std::uint64_t{1} << first);
    }
  }
  if (openStart >= 0) run(openStart, openLength);
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

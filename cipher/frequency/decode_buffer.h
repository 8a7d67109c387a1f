// What the decoder hands its two drop searches: the stretch of the file it
// holds, encrypted and decoded, and where a reading of it stands.
//
// A reading's shift is how many bytes, modulo the key's mixing period, were
// dropped before the place it stands: the code of the encrypted byte at t is
// that byte less the mixing amount of input position t + shift.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cipher/frequency/code_reader.h"
#include "cipher/frequency/text_model.h"
#include "cipher/key_mixing.h"

namespace qor {

// How far past a failure a search may read. The decoder keeps that many
// bytes beyond the last place it decodes up to, so a search never waits for
// input; 256 confirms a reading across the thickest drops of accented text
// while keeping a search's cost bounded.
inline constexpr std::int64_t kMaxSearchAhead = 256;

// Where a reading stands: before position `at`, under `shift`, with the
// cycling characters' counters as they are there.
struct DecoderState {
  std::int64_t at = -1;
  int shift = 0;
  PackedCounters counters{};
  // The last eight drop places read, a bit each, the latest lowest: set
  // where the place dropped two bytes, as a UTF-8 letter does. A file
  // starts as if the place before had, so that UTF-8 text reads as such
  // from its first accent.
  std::uint8_t twoByteDrops = 1;

  // The latest drop place that may have opened a quote, and what it opened,
  // while no place that may have closed it has come. Quotation marks come
  // in pairs, and the full search weighs a pair of places less than two
  // apart. It counts for kQuoteReach bytes: a path or a few words; at 32
  // fewer pairs were found, at 64 no more.
  std::int64_t quoteOpenedAt = kNoQuote;
  TextModel::QuoteMark openQuote = TextModel::QuoteMark::kNone;
  static constexpr std::int64_t kQuoteReach = 48, kNoQuote = -(std::int64_t{1} << 40);

  // The bytes a UTF-8 accented letter drops, all of them at one place.
  static constexpr int kTwoBytes = 2;
  // Text seldom drops this many bytes or more at a place.
  static constexpr int kLongDrop = 4;

  // States read on alike where they differ only in a quote that no longer
  // counts.
  friend bool operator==(const DecoderState& a, const DecoderState& b) {
    return a.at == b.at && a.shift == b.shift && a.counters == b.counters && a.twoByteDrops == b.twoByteDrops &&
           a.OpenQuoteAt(a.at) == b.OpenQuoteAt(b.at) &&
           (a.OpenQuoteAt(a.at) == TextModel::QuoteMark::kNone || a.quoteOpenedAt == b.quoteOpenedAt);
  }

  bool TwoByteDropsLately() const { return twoByteDrops != 0; }
  // Whether a place of `dropped` bytes drops as text does: a Windows-1252
  // accent or mark one, a UTF-8 one two where the file has such places
  // lately, a run of no-break spaces three.
  bool ShortDrop(int dropped) const { return dropped < kLongDrop && (dropped != kTwoBytes || TwoByteDropsLately()); }
  // What a quote opened before still open at `t` opened, or kNone.
  TextModel::QuoteMark OpenQuoteAt(std::int64_t t) const {
    return t - quoteOpenedAt <= kQuoteReach ? openQuote : TextModel::QuoteMark::kNone;
  }
  // Whether a drop place that QuoteMarkAt calls `mark` closes a quote
  // opened `after` bytes before; a mark that closes something itself is
  // quoted alone.
  static bool ClosesQuote(TextModel::QuoteMark mark, std::int64_t after) {
    return mark == TextModel::QuoteMark::kCloses || (mark == TextModel::QuoteMark::kClosesMarkAlone && after == 1);
  }
  static bool OpensQuote(TextModel::QuoteMark mark) {
    return mark == TextModel::QuoteMark::kOpensWord || mark == TextModel::QuoteMark::kOpensSign;
  }
  // Notes a drop place of `dropped` bytes just before `t`, between the
  // bytes `last` and `byte`. A quotation mark drops one or two bytes.
  void NoteQuote(std::int64_t t, int dropped, std::uint8_t last, std::uint8_t byte) {
    if (!ShortDrop(dropped)) return;
    const TextModel::QuoteMark mark = TextModel::Shared().QuoteMarkAt(last, byte);
    if (OpensQuote(mark))
      quoteOpenedAt = t, openQuote = mark;
    else if (OpenQuoteAt(t) != TextModel::QuoteMark::kNone && ClosesQuote(mark, t - quoteOpenedAt))
      quoteOpenedAt = kNoQuote;
  }
  // Notes a drop place of `dropped` bytes (as DecodeBuffer::Dropped tells).
  void NoteDrop(int dropped) {
    twoByteDrops = static_cast<std::uint8_t>(twoByteDrops << 1 | (dropped == kTwoBytes));
  }
};

// The encrypted bytes held in memory and what they were decoded to, both
// indexed by file position from `start`, and the key's mixing pattern.
struct DecodeBuffer {
  explicit DecodeBuffer(const CipherKey& key) : mix(StreamMixPattern(key)), mixPeriod(MixPeriod(mix)) {}

  // The code of the byte at t under `shift`.
  std::uint8_t Code(std::int64_t t, int shift) const {
    return static_cast<std::uint8_t>(encrypted[static_cast<std::size_t>(t - start)] -
                                     mix[static_cast<std::size_t>((t + shift) % kMixCycle)]);
  }
  // The mixing amounts of the byte at t under shifts 0, 1, ...: Code(t, k) is
  // the byte less MixFrom(t)[k] for every k below twice the period (at most
  // 14), as the pattern repeats after mixPeriod. Saves a remainder a code.
  const std::uint8_t* MixFrom(std::int64_t t) const { return &mix[static_cast<std::size_t>(t % mixPeriod)]; }
  // How many bytes, up to the period, a drop place that moved the shift
  // from `before` to `after` dropped.
  int Dropped(int before, int after) const { return (after - before + mixPeriod) % mixPeriod; }
  // The byte decoded at t, or `otherwise` before what is kept of them.
  std::uint8_t Decoded(std::int64_t t, std::uint8_t otherwise) const {
    return t >= start ? decoded[static_cast<std::size_t>(t - start)] : otherwise;
  }

  const std::array<std::uint8_t, kMixCycle> mix;
  // Shifts that differ by a multiple of this read the same.
  const int mixPeriod;
  std::vector<std::uint8_t> encrypted, decoded;
  std::int64_t start = 0;  // the file position of encrypted[0] and decoded[0]

};

}  // namespace qor

// Decryption of a whole file on one reader: a frequency decoder fed a block
// at a time, then the judgements of the whole file.
#include "cipher/frequency/frequency_decoder.h"

#include "cipher/frequency/frequency.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "cipher/frequency/code_reader.h"
#include "cipher/frequency/decode_buffer.h"
#include "cipher/frequency/drop_count.h"
#include "cipher/frequency/drop_search.h"
#include "cipher/frequency/fourth_e_choice.h"
#include "cipher/frequency/single_drop_search.h"
#include "cipher/frequency/text_model.h"
#include "cipher/frequency/text_plausibility.h"
#include "cipher/stream_io.h"

namespace qor {

namespace {

// How far before a failure the full search starts: a wrong shift reads as
// valid codes for about two bytes, so the last drop lies a few bytes before
// the failure; 16 leaves room for two drops close together.
constexpr std::int64_t kSearchBack = 16;
// A state is saved every 32 bytes, so that a search's start is found by
// decoding again at most 31 bytes from the latest one before it.
constexpr std::int64_t kCheckEvery = 32;
// Bytes read at a time: at 64 KiB the per-block costs (moving the kept bytes
// down, the progress report) vanish.
constexpr std::size_t kReadBlock = 1 << 16;
// Bytes kept behind the decoding point when the buffer moves on: a search
// starts up to kSearchBack before a failure and decodes on from the saved
// state before that, up to kCheckEvery further back; twice both, for room.
constexpr std::int64_t kKeepBehind = 2 * kSearchBack + 2 * kCheckEvery;
// How far back of a failure its repair reads: the full search starts
// kSearchBack before it (the quick repair 12), with two bytes of text before.
constexpr std::int64_t kReachBack = 2 * kSearchBack;
// Join points kept: after the first few repairs, which come within a few
// hundred bytes, then further and further apart, for a counter that the
// guess before a segment got wrong and only a later code of its character
// puts right. Each is taken at the next saved state after its repair, not
// where the repair resumed: a reading that stops there has not yet met the
// failure that shows the drop just before it, and reads there a shift
// behind.
constexpr std::size_t kCloseJoins = 8, kMaxJoins = 24;
constexpr std::int64_t kJoinGap = 1 << 10;
}  // namespace

FrequencyDecoder::FrequencyDecoder(const CipherKey& key, const DecoderState& start, std::uint32_t unlearned)
    : codes_(CodeReader::Shared()), buffer_(key), writtenTo_(start.at), decodedTo_(start.at), state_(start),
      searchFloor_(start), singleDrop_(buffer_), dropSearch_(buffer_), origin_(start.at), unlearned_(unlearned) {
  buffer_.start = start.at;
  buffer_.encrypted.resize(kReadBlock + static_cast<std::size_t>(kKeepBehind + kMaxSearchAhead));
  buffer_.decoded.resize(buffer_.encrypted.size());
}

DecoderState FrequencyDecoder::StateBefore(std::int64_t t) const {
  DecoderState s = searchFloor_;
  const DecoderState& check = checkpoints_[static_cast<std::size_t>(t / kCheckEvery) % kCheckRing];
  const std::int64_t c = t / kCheckEvery * kCheckEvery;
  if (check.at == c && c >= searchFloor_.at) s = check;
  for (std::int64_t i = s.at; i < t; ++i) {
    std::uint8_t b = 0;
    codes_.Read(buffer_.Code(i, s.shift), s.counters, b);
  }
  s.at = t;
  return s;
}

bool FrequencyDecoder::DecodeUpTo(std::int64_t limit, std::int64_t available, bool fileEnd) {
  while (decodedTo_ < limit) {
    // The counters as a local, which the byte stores cannot touch.
    PackedCounters counters = state_.counters;
    const std::uint8_t* const enc = buffer_.encrypted.data();
    std::uint8_t* const dec = buffer_.decoded.data();
    const std::array<std::uint8_t, kMixCycle>& mix = buffer_.mix;
    const std::int64_t start = buffer_.start;
    std::size_t mixAt = static_cast<std::size_t>((decodedTo_ + state_.shift) % kMixCycle);
    std::int64_t t = decodedTo_;
    bool failed = false;
    while (t < limit && !failed) {
      if (t % kCheckEvery == 0) {
        DecoderState& check = checkpoints_[static_cast<std::size_t>(t / kCheckEvery) % kCheckRing];
        check = state_;
        check.at = t, check.counters = counters;
        if (joinDue_) joins_.push_back({check, tally_}), joinDue_ = false;
      }
      const std::int64_t stop = std::min(limit, (t / kCheckEvery + 1) * kCheckEvery);
      for (; t < stop; ++t) {
        const auto i = static_cast<std::size_t>(t - start);
        const auto code = static_cast<std::uint8_t>(enc[i] - mix[mixAt]);
        if (++mixAt == kMixCycle) mixAt = 0;
        if (!codes_.Read(code, counters, dec[i])) {
          failed = true;
          break;
        }
      }
    }
    state_.counters = counters;
    decodedTo_ = t;
    state_.at = t;
    if (failed && Learn()) continue;
    if (!failed) {
      // At the end of the file no later code fails where bytes were
      // dropped just before it; the text the last bytes read as may still
      // tell.
      if (fileEnd && decodedTo_ == available && TakeDropAtEnd()) continue;
      break;
    }
    // A search here may reach back this far: a join before it would not
    // see the same bytes.
    for (auto j = joins_.rbegin(); j != joins_.rend() && j->state.at > t - kReachBack; ++j) j->clean = false;
    if (!Repair(t, available)) return false;
    if (TooManyDrops()) return false;
    if (!joins_.empty() && joins_.size() < kMaxJoins &&
        decodedTo_ - joins_.back().state.at >= (joins_.size() < kCloseJoins ? 0 : kJoinGap << (joins_.size() - kCloseJoins)))
      joinDue_ = true;
  }
  return true;
}

bool FrequencyDecoder::TakeDropAtEnd() {
  // What it weighs goes back before where it may resume: a reading that
  // joined in there could have read those bytes otherwise, taken or not.
  for (auto j = joins_.rbegin();
       j != joins_.rend() && j->state.at > decodedTo_ - std::max(kReachBack, SingleDropSearch::kEndReach); ++j)
    j->clean = false;
  const std::optional<SingleDrop> drop = singleDrop_.FindAtEnd(state_, searchFloor_.at);
  if (!drop) return false;
  TakeSingleDrop(*drop);
  return true;
}

void FrequencyDecoder::TakeSingleDrop(const SingleDrop& drop) {
  const int dropped = buffer_.Dropped(state_.shift, drop.resume.shift);
  // The repair finds where to go on and under which shift; what the state
  // holds of the drop places before stays.
  state_.at = drop.resume.at;
  state_.shift = drop.resume.shift;
  state_.counters = drop.resume.counters;
  // The drop's first byte, as decoding on from it will read it.
  std::uint8_t first = 0;
  PackedCounters counters = state_.counters;
  codes_.Read(buffer_.Code(state_.at, state_.shift), counters, first);
  state_.NoteQuote(state_.at, dropped, buffer_.Decoded(state_.at - 1, TextModel::kStartLast), first);
  state_.NoteDrop(dropped);
  searchFloor_ = state_;
  decodedTo_ = drop.resume.at;
  ++tally_.dropPoints;
  tally_.searchedSpan += drop.weighed;
  tally_.searchedPenalty += drop.penalty;
}

bool FrequencyDecoder::Learn() {
  if (unlearned_ == 0) return false;
  const std::uint8_t code = buffer_.Code(decodedTo_, state_.shift);
  const CodeMeaning& m = codes_.Meaning(code);
  if (m.counter < 0 || !(unlearned_ >> m.counter & 1)) return false;
  unlearned_ &= ~(std::uint32_t{1} << m.counter);
  codes_.Resync(code, state_.counters, buffer_.decoded[static_cast<std::size_t>(decodedTo_ - buffer_.start)]);
  state_.at = ++decodedTo_;
  return true;
}

bool FrequencyDecoder::TooManyDrops() {
  const std::int64_t drops = tally_.dropPoints;
  if (!joins_.empty()) {
    // The drops before the latest join point that would make this check
    // refuse: more than its allowance less the drops found since.
    JoinPoint& j = joins_.back();
    j.refusingDropsBefore = std::min(j.refusingDropsBefore, kDropsAheadOnTheWay + decodedTo_ / kMinBytesPerDrop -
                                                                (drops - j.tally.dropPoints) + 1);
  }
  return TooManyDropPlaces(dropsBefore_ + drops, decodedTo_ - origin_, kDropsAheadOnTheWay);
}

bool FrequencyDecoder::Repair(std::int64_t failure, std::int64_t available) {
  if (const std::optional<SingleDrop> drop = singleDrop_.Find(state_, searchFloor_.at, available)) {
    TakeSingleDrop(*drop);
    return true;
  }
  const DecoderState root = StateBefore(std::max(searchFloor_.at, failure - kSearchBack));
  const std::optional<DropPlaces> found = dropSearch_.Find(root, failure, available);
  if (!found) return false;
  ReplayLead(root, *found);
  return true;
}

void FrequencyDecoder::ReplayLead(const DecoderState& root, const DropPlaces& found) {
  DecoderState s = root;
  std::size_t e = 0;
  int drops = 0;
  for (std::int64_t i = root.at; i < found.keepTo; ++i) {
    std::uint8_t& byte = buffer_.decoded[static_cast<std::size_t>(i - buffer_.start)];
    const ReadingEvent* ev =
        e < found.events.size() && root.at + found.events[e].offset == i ? &found.events[e++] : nullptr;
    int dropped = 0;
    if (ev) {
      if (ev->drop) dropped = buffer_.Dropped(s.shift, ev->shift);
      s.shift = ev->shift;
      drops += ev->drop;
      tally_.counterFixes += ev->resync;
    }
    if (ev && ev->resync)
      codes_.Resync(buffer_.Code(i, s.shift), s.counters, byte);
    else
      codes_.Read(buffer_.Code(i, s.shift), s.counters, byte);
    if (ev && ev->drop) {
      s.NoteQuote(i, dropped, buffer_.Decoded(i - 1, TextModel::kStartLast), byte);
      s.NoteDrop(dropped);
    }
  }
  s.at = found.keepTo;
  tally_.dropPoints += drops;
  tally_.searchedSpan += found.searchedTo - root.at;
  tally_.searchedPenalty += found.penalty;
  state_ = searchFloor_ = s;
  decodedTo_ = found.keepTo;
}

void FrequencyDecoder::WriteUpTo(std::int64_t upTo, std::vector<std::uint8_t>& out) {
  if (upTo <= writtenTo_) return;
  const std::uint8_t* from = buffer_.decoded.data() + (writtenTo_ - buffer_.start);
  out.insert(out.end(), from, from + (upTo - writtenTo_));
  writtenTo_ = upTo;
}

std::span<std::uint8_t> FrequencyDecoder::Room() {
  return {buffer_.encrypted.data() + filled_, buffer_.encrypted.size() - filled_};
}

bool FrequencyDecoder::Decode(std::int64_t to, std::int64_t size) {
  const std::int64_t available = Available();
  // Leave room after every failure for the search to look ahead.
  const std::int64_t limit = std::min(to, available >= size ? available : available - kMaxSearchAhead);
  return DecodeUpTo(limit, available, available >= size && limit == available);
}

void FrequencyDecoder::Slide(std::vector<std::uint8_t>& out) {
  // Keep what a search may go back to and rewrite; hand out the rest.
  const std::int64_t keepFrom = std::max(buffer_.start, (decodedTo_ - kKeepBehind) / kCheckEvery * kCheckEvery);
  WriteUpTo(keepFrom, out);
  const auto discard = static_cast<std::size_t>(keepFrom - buffer_.start);
  std::memmove(buffer_.encrypted.data(), buffer_.encrypted.data() + discard, filled_ - discard);
  std::memmove(buffer_.decoded.data(), buffer_.decoded.data() + discard, filled_ - discard);
  filled_ -= discard;
  buffer_.start = keepFrom;
}

void FrequencyDecoder::Flush(std::vector<std::uint8_t>& out) { WriteUpTo(decodedTo_, out); }


}  // namespace qor

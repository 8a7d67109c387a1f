// Decryption: decodes the file a block at a time while the codes check
// against the counters; where one fails, asks the quick repair and then the
// full drop search where bytes were dropped, decodes again along what they
// found, and judges at the end whether the file was text under this key.
#include "cipher/frequency/frequency.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "cipher/frequency/code_reader.h"
#include "cipher/frequency/decode_buffer.h"
#include "cipher/frequency/drop_search.h"
#include "cipher/frequency/fourth_e_choice.h"
#include "cipher/frequency/single_drop_search.h"
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
// Saved states kept, 256 bytes' worth: a search needs one at most
// kSearchBack + kCheckEvery back, so it is never overwritten.
constexpr std::size_t kCheckRing = 8;
// Bytes read at a time: at 64 KiB the per-block costs (moving the kept bytes
// down, the progress report) vanish.
constexpr std::size_t kReadBlock = 1 << 16;
// Bytes kept behind the decoding point when the buffer moves on: a search
// starts up to kSearchBack before a failure and decodes on from the saved
// state before that, up to kCheckEvery further back; twice both, for room.
constexpr std::int64_t kKeepBehind = 2 * kSearchBack + 2 * kCheckEvery;
// Real text, even with many accents, needs a drop every eleven bytes or so;
// a drop every six or fewer marks a wrong key or a foreign file.
constexpr std::int64_t kMinBytesPerDrop = 6;
// The whole file is judged at its end; on the way, once the drops run this
// far ahead of that rate, so that noise is refused early instead of
// searched through.
constexpr std::int64_t kDropsAhead = 64;
// At the end only 2 over that rate: a short real text may still need a drop
// or two more than its length gives.
constexpr std::int64_t kDropsAheadAtEnd = 2;
// The searches' text is judged only over this many bytes or more: fewer
// say too little.
constexpr std::int64_t kMinSearchedToJudge = 16;
// What the searched text may cost, about in bits: 13 per 4 bytes. Real text,
// documentation with its names, commands and tables too, stays below it
// (at 5 per 2, one 1 KB piece of it in six was refused; at 6 per 2, once
// the text model weighed letter pairs, one in ten of the English reference);
// the noise that a wrong key reads, with its unlikely pairs, goes above.
constexpr std::int64_t kMaxSearchedPenalty = 13, kPerSearchedBytes = 4;

class FrequencyDecoder {
 public:
  FrequencyDecoder(std::FILE* input, std::FILE* output, const CipherKey& key, const Progress& progress)
      : input_(input), output_(output), progress_(progress), codes_(CodeReader::Shared()),
        buffer_(key), singleDrop_(buffer_), dropSearch_(buffer_) {}

  FrequencyDecryptResult Run();

 private:
  // Decodes from decodedTo_ up to `limit`, repairing where a code fails.
  // False when the file is rejected.
  bool DecodeUpTo(std::int64_t limit, std::int64_t available);
  // Finds the drops that explain the failure at `failure` and decodes again
  // along them; false when no reading explains it.
  bool Repair(std::int64_t failure, std::int64_t available);
  // Decodes again from `root` along the events the full search found.
  void ReplayLead(const DecoderState& root, const DropPlaces& found);
  // The state before t: the latest saved one at or before it, decoded on
  // under the shift that has held since the search floor.
  DecoderState StateBefore(std::int64_t t) const;
  bool TooManyDrops(std::int64_t ahead) const { return dropPoints_ > ahead + decodedTo_ / kMinBytesPerDrop; }
  // Writes out the decoded bytes up to `upTo`.
  void WriteUpTo(std::int64_t upTo);

  std::FILE* input_;
  std::FILE* output_;
  FourthEChoice* out_ = nullptr;  // over output_, while Run() runs
  const Progress& progress_;
  const CodeReader& codes_;

  DecodeBuffer buffer_;
  std::int64_t writtenTo_ = 0;  // decoded bytes already written out
  std::int64_t decodedTo_ = 0;  // the next position to decode
  DecoderState state_;          // before decodedTo_
  DecoderState searchFloor_;    // nothing before searchFloor_.at is searched again
  std::array<DecoderState, kCheckRing> checkpoints_{};
  SingleDropSearch singleDrop_;
  DropSearch dropSearch_;

  std::int64_t dropPoints_ = 0;
  std::int64_t counterFixes_ = 0;
  std::int64_t searchedSpan_ = 0;  // bytes read by searches
  std::int64_t searchedPenalty_ = 0;  // and how unlike text they were
};

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

bool FrequencyDecoder::DecodeUpTo(std::int64_t limit, std::int64_t available) {
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
        check.at = t, check.shift = state_.shift, check.counters = counters;
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
    if (failed && (!Repair(t, available) || TooManyDrops(kDropsAhead))) return false;
  }
  return true;
}

bool FrequencyDecoder::Repair(std::int64_t failure, std::int64_t available) {
  if (const std::optional<SingleDrop> drop = singleDrop_.Find(state_, searchFloor_.at, available)) {
    state_ = searchFloor_ = drop->resume;
    decodedTo_ = drop->resume.at;
    ++dropPoints_;
    searchedSpan_ += drop->weighed;
    searchedPenalty_ += drop->penalty;
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
    if (ev) {
      s.shift = ev->shift;
      drops += ev->drop;
      counterFixes_ += ev->resync;
    }
    if (ev && ev->resync)
      codes_.Resync(buffer_.Code(i, s.shift), s.counters, byte);
    else
      codes_.Read(buffer_.Code(i, s.shift), s.counters, byte);
  }
  s.at = found.keepTo;
  dropPoints_ += drops;
  searchedSpan_ += found.searchedTo - root.at;
  searchedPenalty_ += found.penalty;
  state_ = searchFloor_ = s;
  decodedTo_ = found.keepTo;
}

void FrequencyDecoder::WriteUpTo(std::int64_t upTo) {
  if (upTo <= writtenTo_) return;
  out_->Put(buffer_.decoded.data() + (writtenTo_ - buffer_.start), static_cast<std::size_t>(upTo - writtenTo_));
  writtenTo_ = upTo;
}

FrequencyDecryptResult FrequencyDecoder::Run() {
  FrequencyDecryptResult result;
  const std::int64_t size = StreamSize(input_);
  if (size < 0) {
    result.status = DecryptStatus::kRejected;
    return result;
  }
  std::vector<std::uint8_t>& enc = buffer_.encrypted;
  std::vector<std::uint8_t>& dec = buffer_.decoded;
  enc.resize(kReadBlock + static_cast<std::size_t>(kKeepBehind + kMaxSearchAhead));
  dec.resize(enc.size());
  BlockWriter writer(output_, enc.size(), size);
  FourthEChoice out(writer, enc.size());
  out_ = &out;
  searchFloor_.at = 0;
  state_.at = 0;
  std::int64_t read = 0;
  std::size_t filled = 0;
  bool ok = true;
  while (ok) {
    const auto count = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(enc.size() - filled), size - read));
    ReadBlock(input_, enc.data() + filled, count);
    filled += count;
    read += static_cast<std::int64_t>(count);
    const std::int64_t available = buffer_.start + static_cast<std::int64_t>(filled);
    const bool last = read >= size;
    // Leave room after every failure for the search to look ahead.
    ok = DecodeUpTo(last ? available : available - kMaxSearchAhead, available);
    if (ok && !GoOn(progress_, std::min(decodedTo_, size), size)) {
      result.status = DecryptStatus::kStopped;
      return result;
    }
    if (!ok || last) break;
    // Keep what a search may go back to and rewrite; write out the rest.
    const std::int64_t keepFrom =
        std::max(buffer_.start, (decodedTo_ - kKeepBehind) / kCheckEvery * kCheckEvery);
    WriteUpTo(keepFrom);
    const auto discard = static_cast<std::size_t>(keepFrom - buffer_.start);
    std::memmove(enc.data(), enc.data() + discard, filled - discard);
    std::memmove(dec.data(), dec.data() + discard, filled - discard);
    filled -= discard;
    buffer_.start = keepFrom;
  }
  // With a wrong key the searches run everywhere, need many drops and read
  // unlikely characters; real text, even with many accents, neither.
  if (ok && TooManyDrops(kDropsAheadAtEnd)) ok = false;
  if (ok && searchedSpan_ >= kMinSearchedToJudge &&
      kPerSearchedBytes * searchedPenalty_ > kMaxSearchedPenalty * searchedSpan_)
    ok = false;
  if (ok) WriteUpTo(decodedTo_), out.Finish();
  result.status = ok ? DecryptStatus::kOk : DecryptStatus::kRejected;
  result.dropPoints = dropPoints_;
  result.counterFixes = counterFixes_;
  return result;
}

}  // namespace

FrequencyDecryptResult DecryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress) {
  return FrequencyDecoder(input, output, key, progress).Run();
}

}  // namespace qor

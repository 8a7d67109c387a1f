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
  // Where the codes check to the end of the file, takes a drop just before
  // it if the last bytes read as far likelier text after one.
  void TakeDropAtEnd();
  // Decodes again from `root` along the events the full search found.
  void ReplayLead(const DecoderState& root, const DropPlaces& found);
  // The state before t: the latest saved one at or before it, decoded on
  // under the shift that has held since the search floor.
  DecoderState StateBefore(std::int64_t t) const;
  bool TooManyDrops(std::int64_t ahead) const { return TooManyDropPlaces(dropPoints_, decodedTo_, ahead); }
  // Writes out the decoded bytes up to `upTo`.
  void WriteUpTo(std::int64_t upTo);
  // Adds the text model's cost of the decoded bytes from..upTo that lie in
  // the first kHeadWeighed.
  void WeighHead(std::int64_t from, std::int64_t upTo);

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
  std::int64_t headCost_ = 0;
  std::uint8_t headBeforeLast_ = TextModel::kStartBeforeLast, headLast_ = TextModel::kStartLast;
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
    if (failed && !Repair(t, available)) return false;
    if (failed && TooManyDrops(kDropsAheadOnTheWay)) return false;
    // At the end of the file no later code fails where bytes were dropped
    // just before it; the text the last bytes read as may still tell.
    if (decodedTo_ == available && limit == available) TakeDropAtEnd();
  }
  return true;
}

void FrequencyDecoder::TakeDropAtEnd() {
  const std::optional<SingleDrop> drop = singleDrop_.FindAtEnd(state_, searchFloor_.at);
  if (!drop) return;
  state_ = searchFloor_ = drop->resume;
  decodedTo_ = drop->resume.at;
  ++dropPoints_;
  searchedSpan_ += drop->weighed;
  searchedPenalty_ += drop->penalty;
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

void FrequencyDecoder::WeighHead(std::int64_t from, std::int64_t upTo) {
  const TextModel& model = TextModel::Shared();
  for (std::int64_t t = from; t < std::min(upTo, kHeadWeighed); ++t) {
    const std::uint8_t b = buffer_.decoded[static_cast<std::size_t>(t - buffer_.start)];
    headCost_ += model.Cost(headBeforeLast_, headLast_, b);
    headBeforeLast_ = headLast_, headLast_ = b;
  }
}

void FrequencyDecoder::WriteUpTo(std::int64_t upTo) {
  if (upTo <= writtenTo_) return;
  WeighHead(writtenTo_, upTo);
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
  const bool noise = ReadsAsNoise(searchedPenalty_, searchedSpan_);
  if (noise) ok = false;
  if (ok)
    WriteUpTo(decodedTo_), out.Finish();
  else
    WeighHead(writtenTo_, decodedTo_);
  result.dropPoints = dropPoints_;
  result.counterFixes = counterFixes_;
  result.headBytes = std::min(decodedTo_, kHeadWeighed);
  result.headCost = headCost_;
  // Refused where drops had to be found, though what was read is text: the
  // key is most likely right, and the text too far from what the method
  // codes. A wrong key reads noise.
  const bool text = !noise && dropPoints_ > 0 && PlausibleFrequencyText(result);
  result.status = ok ? DecryptStatus::kOk : text ? DecryptStatus::kTooManyDrops : DecryptStatus::kRejected;
  return result;
}

}  // namespace

FrequencyDecryptResult DecryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress) {
  return FrequencyDecoder(input, output, key, progress).Run();
}

}  // namespace qor

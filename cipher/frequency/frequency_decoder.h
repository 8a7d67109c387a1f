// The frequency decoder: decodes the file from a known reading while the
// codes check against the counters; where one fails, asks the quick repair
// and then the full drop search where bytes were dropped, and decodes again
// along what they found. It takes the encrypted bytes as they come, keeping
// only a bounded window of them, so that the same decoder reads a whole file
// or one stretch of it.
#pragma once

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <span>
#include <vector>

#include "cipher/frequency/decode_buffer.h"
#include "cipher/frequency/drop_search.h"
#include "cipher/frequency/single_drop_search.h"
#include "cipher/key_mixing.h"

namespace qor {

// What the decoder's searches found, to be summed over a file.
struct DecodeTally {
  std::int64_t dropPoints = 0;
  std::int64_t counterFixes = 0;
  std::int64_t searchedSpan = 0;     // bytes read by searches
  std::int64_t searchedPenalty = 0;  // and how unlike text they were

  DecodeTally& operator+=(const DecodeTally& t) {
    dropPoints += t.dropPoints, counterFixes += t.counterFixes;
    searchedSpan += t.searchedSpan, searchedPenalty += t.searchedPenalty;
    return *this;
  }
  DecodeTally& operator-=(const DecodeTally& t) {
    dropPoints -= t.dropPoints, counterFixes -= t.counterFixes;
    searchedSpan -= t.searchedSpan, searchedPenalty -= t.searchedPenalty;
    return *this;
  }
};

class FrequencyDecoder {
 public:
  // Decodes from `start`. The check on the way counts drops and coded
  // bytes from there until Continue() says what came before. The counters
  // that `unlearned` marks (by packed index) are not known: each is taken
  // from its character's first code.
  FrequencyDecoder(const CipherKey& key, const DecoderState& start, std::uint32_t unlearned = 0);

  // Where the next encrypted bytes go, and how many of them fit.
  std::span<std::uint8_t> Room();
  void Filled(std::size_t count) { filled_ += count; }
  // One past the last encrypted byte given.
  std::int64_t Available() const { return buffer_.start + static_cast<std::int64_t>(filled_); }

  // Decodes up to `to`, leaving room after every failure for a search to
  // look ahead, unless the file's `size` bytes are all given. False when
  // the file is rejected on the way.
  bool Decode(std::int64_t to, std::int64_t size);
  // Appends to `out` the decoded bytes no search can change any more and
  // makes room for the next ones.
  void Slide(std::vector<std::uint8_t>& out);
  // Appends every decoded byte not yet handed out.
  void Flush(std::vector<std::uint8_t>& out);
  // Hands out nothing before `at`, which another decoder read.
  void SkipTo(std::int64_t at) { writtenTo_ = std::max(writtenTo_, at); }

  std::int64_t DecodedTo() const { return decodedTo_; }
  const DecoderState& State() const { return state_; }
  const DecodeTally& Tally() const { return tally_; }
  // Where a decoder of the whole file that reaches `state` exactly may hand
  // over to this one: at the start and at the saved state after each of the
  // first repairs, if no search after it reached back before it.
  struct JoinPoint {
    DecoderState state;
    DecodeTally tally;  // this decoder's, there
    // The fewest drops before `state` (less tally.dropPoints) that would
    // have refused the file on the way, in the checks after it.
    std::int64_t refusingDropsBefore = INT64_MAX;
    bool clean = true;
  };
  // Records join points from here on.
  void RecordJoins() { joins_.push_back({state_, tally_}); }
  const std::vector<JoinPoint>& Joins() const { return joins_; }
  // From here on the decoder goes on as the one reading the whole file.
  void Continue(std::int64_t dropsBefore) { dropsBefore_ = dropsBefore, origin_ = 0; }

 private:
  // `fileEnd`: `available` is the end of the file.
  bool DecodeUpTo(std::int64_t limit, std::int64_t available, bool fileEnd);
  bool Repair(std::int64_t failure, std::int64_t available);
  void ReplayLead(const DecoderState& root, const DropPlaces& found);
  DecoderState StateBefore(std::int64_t t) const;
  bool TooManyDrops();
  // Takes the failed code at decodedTo_ as the first of a character whose
  // counter is not known yet; false when it is no such code.
  bool Learn();
  // Where the codes check to the end of the file, takes a drop just before
  // it if the last bytes read as far likelier text after one; false when
  // there is none.
  bool TakeDropAtEnd();
  // Decodes on from just after a drop the quick repair found, and counts it.
  void TakeSingleDrop(const SingleDrop& drop);
  void WriteUpTo(std::int64_t upTo, std::vector<std::uint8_t>& out);

  static constexpr std::size_t kCheckRing = 8;

  const CodeReader& codes_;
  DecodeBuffer buffer_;
  std::size_t filled_ = 0;
  std::int64_t writtenTo_;
  std::int64_t decodedTo_;
  DecoderState state_;        // before decodedTo_
  DecoderState searchFloor_;  // nothing before searchFloor_.at is searched again
  std::array<DecoderState, kCheckRing> checkpoints_{};
  SingleDropSearch singleDrop_;
  DropSearch dropSearch_;
  DecodeTally tally_;
  std::int64_t dropsBefore_ = 0;
  std::int64_t origin_;  // where the check on the way counts from
  std::uint32_t unlearned_;
  std::vector<JoinPoint> joins_;
  bool joinDue_ = false;  // a join point is taken at the next saved state
};

}  // namespace qor

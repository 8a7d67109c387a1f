// The quick repair. Most failures come a byte or two after a single drop,
// after which one other shift reads cleanly. This search tries every other
// shift at every place a little before the failure and answers when the
// ways that read near the best agree on one; otherwise the full drop search
// decides, as where drops come thick.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "cipher/frequency/code_reader.h"
#include "cipher/frequency/decode_buffer.h"
#include "cipher/frequency/text_model.h"

namespace qor {

// The drop the quick repair settled on.
struct SingleDrop {
  DecoderState resume;      // just after the drop, under its shift: decoding goes on from here
  std::int64_t weighed = 0;  // bytes every way was weighed over
  int penalty = 0;           // how unlike text the chosen way read over them
};

class SingleDropSearch {
 public:
  explicit SingleDropSearch(const DecodeBuffer& buffer)
      : buffer_(buffer), codes_(CodeReader::Shared()), text_(TextModel::Shared()) {}

  // `atFailure` stands before the byte whose code failed; no drop is placed
  // before `floor`, and nothing at or past `available` is read.
  std::optional<SingleDrop> Find(const DecoderState& atFailure, std::int64_t floor, std::int64_t available);
  // At the end of the file, where no later code can fail: a drop a little
  // before `atEnd` under which the last bytes read as far likelier text
  // than as they were read, if there is one. Nothing before `floor`.
  std::optional<SingleDrop> FindAtEnd(const DecoderState& atEnd, std::int64_t floor) const;
  // How far before the end the decoded bytes FindAtEnd weighs reach.
  static constexpr std::int64_t kEndLookBack = 12, kEndContext = 64;
  static constexpr std::int64_t kEndReach = kEndLookBack + kEndContext;

 private:
  // One place and shift for the drop, and how reading on from it went.
  struct Guess {
    int cost = 0;  // how unlike text, from where the search starts
    std::int64_t dropAt = 0;
    int shift = 0;  // after the drop
    PackedCounters countersAtDrop{};
    std::int64_t readTo = 0;  // read clean up to here
    PackedCounters counters{};  // there
    std::uint8_t beforeLast = 0, last = 0;
  };

  // Reads on under the guess's shift while the codes check, up to `to`;
  // where it stopped.
  std::int64_t ReadWhileClean(Guess& guess, std::int64_t to) const;
  // Keeps the rivals that cost less than the best one's cost and a margin,
  // best first.
  void KeepNearBest();
  bool RivalsAgree() const;
  // How unlike text the decoded byte at `t` is after the two before it.
  int DecodedCost(std::int64_t t) const;
  // How unlike text the decoded bytes are from `from` up to each place to
  // `to`, at most kLookBack + 1 of them.
  void WeighDecoded(std::int64_t from, std::int64_t to, int* costBefore) const;

  const DecodeBuffer& buffer_;
  const CodeReader& codes_;
  const TextModel& text_;
  // Scratch, kept between calls so that repairs seldom allocate.
  std::vector<Guess> clean_;     // every guess that read clean far enough
  std::vector<Guess*> rivals_;   // the best of each state they end in
};

}  // namespace qor

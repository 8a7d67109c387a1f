// The full drop search: a beam search over the places where bytes may have
// been dropped, for where the quick repair cannot decide. From a state a
// little before the failure it follows, byte by byte, the cheapest readings
// (fewest drops, then most like text); at each byte a reading goes on under
// its shift, drops some bytes first (takes another shift), or takes a code
// against its counter. It stops once the lead's way is confirmed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "cipher/frequency/code_reader.h"
#include "cipher/frequency/decode_buffer.h"
#include "cipher/frequency/text_model.h"

namespace qor {

// A place where a reading changed course.
struct ReadingEvent {
  std::int32_t offset;  // from where the search started
  std::uint8_t shift;   // the shift from here on
  bool drop;            // bytes were dropped just before this one
  bool resync;          // the code here was taken against its counter
};

// What the search found: the lead reading's way, to be decoded again by the
// caller from the state the search started at.
struct DropPlaces {
  std::span<const ReadingEvent> events;  // in order; good until the next Find
  std::int64_t searchedTo = 0;           // where the search stopped
  std::int64_t keepTo = 0;               // the lead's reading is confirmed up to here
  int penalty = 0;                       // how unlike text the lead read
};

class DropSearch {
 public:
  explicit DropSearch(const DecodeBuffer& buffer);

  // Searches from `root`, at or before the byte at `failure` whose code
  // failed, reading no further than `available`. No value when every
  // reading died, or when the best of them reads as noise.
  std::optional<DropPlaces> Find(const DecoderState& root, std::int64_t failure, std::int64_t available);

 private:
  struct EventLink {
    ReadingEvent event;
    std::int32_t previous;  // the event before it on its reading, -1 for none
  };
  // One way of reading from the search's start up to the current byte, in
  // a cache line.
  struct Reading {
    std::int16_t shift = 0;
    std::int16_t events = 0;
    int drops = 0;
    // Its drops weighed, and how unlike text it reads and the counters it
    // took against their codes: all a reading is ranked by.
    int score = 0;
    std::int32_t lastEvent = -1;  // in links_
    std::uint8_t beforeLast = TextModel::kStartBeforeLast, last = TextModel::kStartLast;
    // A quote it may have opened that still counts, as DecoderState keeps
    // it, the place from where the search started.
    TextModel::QuoteMark openQuote = TextModel::QuoteMark::kNone;
    std::int16_t quoteOpenedAt = kNoQuote;
    std::uint64_t hash = 0;  // of the counters, kept up as they step
    PackedCounters counters{};
  };
  static_assert(sizeof(Reading) <= 64);
  // Far enough before any search's start that no quote counts.
  static constexpr std::int16_t kNoQuote = -(1 << 14);
  // One way on from a reading, weighed before it is copied.
  struct Candidate {
    std::uint64_t hash;
    std::uint64_t key;     // ranks it: by score, then as weighed one by one
    std::uint8_t parent;   // in beam_
    std::uint8_t shift;
    std::uint8_t counter;  // the counter this code steps (one that stays 0 for none)
    std::uint8_t value;    // and its new value
    std::uint8_t byte;
    bool drop, resync;
    // The quote it leaves open (a TextModel::QuoteMark), with kOpenedHere
    // where this byte opened it.
    std::uint8_t quote;
  };
  static constexpr std::uint8_t kOpenedHere = 8;
  // Ways on in the same state go on alike but for the quote they leave
  // open; where one is open before a sign, whose closing saves most, they
  // are told apart.
  static bool SignQuoteOpen(std::uint8_t quote) {
    return (quote & ~kOpenedHere) == static_cast<std::uint8_t>(TextModel::QuoteMark::kOpensSign);
  }
  enum class Outcome { kFound, kDied, kNoise };

  // One search, in which a reading may carry `slack` more drops than the best.
  Outcome SearchDropPlaces(const DecoderState& root, std::int64_t failure, std::int64_t available, int slack);
  static int Score(const Reading& r) { return r.score; }
  // How unlike text, and the counters taken against their codes and the
  // long drops, which text seldom holds.
  static int Penalty(const Reading& r);
  // Whether `a` leads to the state of the reading at `parent` in `beam`
  // once `counter` is set to `value`.
  static bool SameState(const Reading* beam, const Candidate& a, std::size_t parent, std::uint8_t counter,
                        std::uint8_t value);
  // Whether every reading near the lead took the same way up to `offset`.
  bool ReadingsAgreeBefore(std::int32_t offset) const;

  const DecodeBuffer& buffer_;
  const CodeReader& codes_;
  const TextModel& text_;
  // Scratch, kept between calls so that a search allocates little.
  std::vector<Reading> beam_, nextBeam_;  // best first, sized for a full beam
  std::size_t beamSize_ = 0;              // readings in beam_
  std::vector<EventLink> links_;          // the events of all readings of one search
  std::vector<Candidate> candidates_;     // sized for every way on of a byte
  // Open addressing over candidates_ by state; a slot is taken when its
  // stamp is the current one, so that no byte has to clear the table.
  std::vector<std::uint32_t> slots_, slotStamps_;
  std::uint32_t stamp_ = 0;
  std::vector<ReadingEvent> leadEvents_;
  std::int64_t searchedTo_ = 0;  // where the last search that found a reading stopped
};

}  // namespace qor

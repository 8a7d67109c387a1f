#include "cipher/frequency/frequency.h"

#include "cipher/frequency/code_table.h"

#include "cipher/stream_io.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

namespace qor {

namespace {

// The 29 cycling characters' counters, packed by a small index; padded to 32
// so that states compare as whole words.
using PackedCounters = std::array<std::uint8_t, 32>;

// What one code (before mixing) stands for.
struct CodeMeaning {
  std::uint8_t byte = 0;
  std::int8_t counter = -1;  // packed counter of a cycling character, -1 for none
  std::uint8_t expect = 0;   // the counter value this code needs
  std::uint8_t cycle = 0;
  bool valid = false;
};

struct CodeBook {
  std::array<CodeMeaning, 256> meaning{};
  // The same, one word per code, so that reading a code takes one test:
  // the character in bits 0-7; in bits 8-15 its counter, or one that stays
  // 0 for characters that do not cycle, or for codes no character gives;
  // in bits 16-23 the value the counter must hold (1 for those codes, which
  // it never does); in bits 24-31 its next value.
  static constexpr std::uint32_t kStill = 31, kNever = 30;
  std::array<std::uint32_t, 256> word{};
  // Each byte's packed counter (-1 for none) and cycle, to step a counter
  // back over a byte already read.
  std::array<std::int8_t, 256> counterOf{};
  std::array<std::uint8_t, 256> cycleOf{};

  CodeBook() {
    int packed = 0;
    counterOf.fill(-1);
    for (int b = 0; b < 256; ++b) {
      const FrequencyCode& c = FrequencyCodeTable[static_cast<std::size_t>(b)];
      if (c.Dropped()) continue;
      const int counter = c.cycle > 1 ? packed++ : -1;
      counterOf[static_cast<std::size_t>(b)] = static_cast<std::int8_t>(counter);
      cycleOf[static_cast<std::size_t>(b)] = c.cycle;
      for (int k = 0; k < c.cycle; ++k) {
        CodeMeaning& m = meaning[static_cast<std::size_t>(c.first + k)];
        if (m.valid) continue;  // code 14: the fourth E is entered first, F is the fallback
        m = {static_cast<std::uint8_t>(b), static_cast<std::int8_t>(counter), static_cast<std::uint8_t>(k),
             c.cycle, true};
      }
    }
    for (int code = 0; code < 256; ++code) {
      const CodeMeaning& m = meaning[static_cast<std::size_t>(code)];
      std::uint32_t& w = word[static_cast<std::size_t>(code)];
      if (m.counter >= 0)
        w = m.byte | static_cast<std::uint32_t>(m.counter) << 8 | std::uint32_t{m.expect} << 16 |
            static_cast<std::uint32_t>(m.expect + 1 == m.cycle ? 0 : m.expect + 1) << 24;
      else
        w = m.valid ? m.byte | kStill << 8 : kNever << 8 | 1u << 16;
    }
  }

  // Reads one code against the counters, stepping them; false when no
  // character gives this code now. Code 14 is the fourth E while E's counter
  // stands at 3, F otherwise.
  bool Read(std::uint8_t code, PackedCounters& counters, std::uint8_t& byte) const {
    const std::uint32_t w = word[code];
    std::uint8_t& c = counters[w >> 8 & 0xFF];
    if (c != static_cast<std::uint8_t>(w >> 16)) {
      if (code != 14) return false;
      byte = 'F';
      return true;
    }
    c = static_cast<std::uint8_t>(w >> 24);
    byte = static_cast<std::uint8_t>(w);
    return true;
  }

  // Steps the counters back over a byte that was read.
  void Unread(std::uint8_t byte, PackedCounters& counters) const {
    const int k = counterOf[byte];
    if (k < 0) return;
    std::uint8_t& c = counters[static_cast<std::size_t>(k)];
    c = static_cast<std::uint8_t>(c == 0 ? cycleOf[byte] - 1 : c - 1);
  }

  // Reads a cycling character's code although its counter disagrees, and
  // sets the counter by it; false for codes of no cycling character.
  bool Resync(std::uint8_t code, PackedCounters& counters, std::uint8_t& byte) const {
    const CodeMeaning& m = meaning[code];
    if (m.counter < 0) return false;
    counters[static_cast<std::size_t>(m.counter)] = static_cast<std::uint8_t>(m.expect + 1 == m.cycle ? 0 : m.expect + 1);
    byte = m.byte;
    return true;
  }

};

const CodeBook& Book() {
  static const CodeBook book;
  return book;
}

// A rough model of Spanish or English text: the cost of a character after
// the two before it, about in bits. The search uses it only to rank readings
// that need as many drops, and to tell text from noise.
class TextModel {
 public:
  TextModel() {
    for (int b = 0; b < 256; ++b) {
      const auto c = static_cast<std::uint8_t>(b);
      class_[c] = ClassOf(c);
      alone_[c] = Alone(c);
    }
  }

  int Cost(std::uint8_t beforeLast, std::uint8_t last, std::uint8_t byte) const {
    // Columns: lower, upper, digit, space, closing mark, other mark, line,
    // control. Rows: the context, the class of the last character, or 8 for
    // a space or line end after the end of a sentence.
    static constexpr std::uint8_t kPair[9][8] = {
        {0, 5, 4, 0, 0, 2, 1, 0},  // after a lowercase letter
        {0, 1, 4, 0, 0, 2, 1, 0},  // after an uppercase letter
        {4, 4, 0, 0, 0, 1, 1, 0},  // after a digit
        {0, 1, 0, 3, 4, 1, 2, 0},  // after a space
        {3, 3, 2, 0, 2, 2, 0, 0},  // after , . ; : ? ! ) "
        {1, 1, 1, 1, 2, 2, 1, 0},  // after another mark
        {1, 0, 1, 1, 3, 1, 0, 0},  // after a line end or tab
        {0, 0, 0, 0, 0, 0, 0, 0},  // after a control character
        {3, 0, 1, 2, 4, 1, 1, 0},  // a sentence begins
    };
    int context = class_[last];
    if ((context == 3 || context == 6) && (beforeLast == '.' || beforeLast == '?' || beforeLast == '!' ||
                                           beforeLast == '\n'))
      context = 8;
    return alone_[byte] + kPair[context][class_[byte]];
  }

 private:
  static std::uint8_t ClassOf(std::uint8_t b) {
    if ((b >= 'a' && b <= 'z') || b == 0xF1) return 0;
    if ((b >= 'A' && b <= 'Z') || b == 0xD1) return 1;
    if (b >= '0' && b <= '9') return 2;
    if (b == ' ') return 3;
    if (b == ',' || b == '.' || b == ';' || b == ':' || b == '?' || b == '!' || b == ')' || b == '"') return 4;
    if (b == '\n' || b == '\r' || b == '\t') return 6;
    if (b < 0x20) return 7;
    return 5;
  }
  static std::uint8_t Alone(std::uint8_t b) {
    static constexpr const char* kRareLetters = "bfghjkqvwxyz";
    if (b == ' ' || (b >= 'a' && b <= 'z' && !std::strchr(kRareLetters, b))) return 0;
    if ((b >= 'a' && b <= 'z') || b == ',' || b == '.' || b == '\n' || b == '\r') return 1;
    if ((b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '?' || b == '!') return 2;
    if (b == 0xF1 || b == 0xD1 || b == '\t' || b == ';' || b == ':' || b == '(' || b == ')' || b == '"' || b == '\'' ||
        b == '-')
      return 3;
    if (b < 0x20) return 9;
    return 5;
  }

  std::array<std::uint8_t, 256> class_{}, alone_{};
};

const TextModel& Model() {
  static const TextModel model;
  return model;
}

// The smallest p dividing 420 after which the mixing amounts repeat: drop
// counts that differ by a multiple of p read the same.
int MixPeriod(const std::array<std::uint8_t, kMixCycle>& mix) {
  for (int p = 1; p < kMixCycle; ++p) {
    if (kMixCycle % p != 0) continue;
    bool repeats = true;
    for (int i = 0; i < kMixCycle && repeats; ++i) repeats = mix[i] == mix[(i + p) % kMixCycle];
    if (repeats) return p;
  }
  return kMixCycle;
}

class FrequencyDecoder {
 public:
  FrequencyDecoder(std::FILE* input, std::FILE* output, const CipherKey& key, const Progress& progress)
      : input_(input), output_(output), progress_(progress), mix_(StreamMixPattern(key)),
        period_(MixPeriod(mix_)), book_(Book()), model_(Model()) {}

  FrequencyDecryptResult Run();

 private:
  // Search limits. A wrong shift reads as valid codes for about two bytes,
  // so the last drop lies a few bytes before the first failure.
  static constexpr std::int64_t kBack = 16;        // how far before a failure a drop is looked for
  static constexpr std::int64_t kConfirm = 16;     // clean bytes that confirm a reading
  static constexpr std::int64_t kMaxWindow = 256;  // longest stretch searched at once
  static constexpr std::size_t kBeam = 16;
  static constexpr int kMaxEvents = 48;
  static constexpr int kMaxSlack = 3;  // extra drops a reading may carry over the best
  static constexpr std::int64_t kCheckEvery = 32;
  static constexpr std::size_t kCheckRing = 8;
  static constexpr std::size_t kBlock = 1 << 16;
  static constexpr std::int64_t kKeep = 2 * kBack + 2 * kCheckEvery;

  // Most failures come a byte or two after a single drop, after which one
  // other shift reads cleanly. That is tried first, with every shift at
  // every place a little before the failure, and taken when the readings
  // that come near the best all agree on it; the full search decides the
  // rest, as where drops come thick.
  static constexpr std::int64_t kQuickBack = 12;   // how far before the failure the drop is looked for
  static constexpr std::int64_t kQuickAfter = 20;  // how far past it a reading must go clean
  static constexpr std::int64_t kQuickReach = 64;  // how far near rivals read on to be told apart
  static constexpr int kQuickMargin = 8;
  // One place and shift for the drop, and how its reading went.
  struct QuickPath {
    int score = 0;
    std::int64_t at = 0;
    int shift = 0;
    PackedCounters first{};  // at `at`
    std::int64_t end = 0;    // read up to here
    PackedCounters counters{};
    std::uint8_t beforeLast = 0, last = 0;
  };

  struct State {
    std::int64_t at = -1;  // the position this state is before
    int shift = 0;
    PackedCounters counters{};
  };
  struct Event {
    std::int32_t offset;  // from the window's start
    std::uint8_t shift;   // the shift from here on
    bool drop;            // bytes were dropped just before this one
    bool resync;          // the code here was taken against its counter
  };
  // The events of all readings of one search, each linked to the one
  // before it on its reading.
  struct EventLink {
    Event event;
    std::int32_t previous;
  };
  struct Reading {
    int shift = 0;
    int cost = 0;  // drop points
    int penalty = 0;
    int events = 0;
    std::int32_t lastEvent = -1;  // in links_
    std::uint8_t beforeLast = '.', last = ' ';
    std::uint64_t hash = 0;  // of the counters, kept up as they step
    PackedCounters counters{};
  };
  // One way on from a reading, weighed before it is copied.
  struct Candidate {
    std::uint64_t hash;
    int score;
    std::uint32_t order;   // ties go to the way weighed first
    std::uint16_t parent;  // in beam_
    std::uint8_t shift;
    std::int8_t counter;   // the counter this code steps, -1 for none
    std::uint8_t value;    // and its new value
    std::uint8_t byte;
    bool drop, resync;
  };
  // The mixing repeats after twice the key's length or sooner, so a
  // period is at most 14; the table holds every way on of a step with room.
  static constexpr int kMaxPeriod = 14;
  static constexpr std::size_t kTable = 1024;
  static_assert(kTable >= 2 * kBeam * kMaxPeriod && (kTable & (kTable - 1)) == 0);
  enum class Search { kFound, kDied, kNoise };

  // A drop weighs as much as a few unlikely characters: fewer drops win
  // unless they cost a run of noise.
  static constexpr int kDropWeight = 16;
  static constexpr int kResyncWeight = 16;
  static int Score(const Reading& r) { return r.cost * kDropWeight + r.penalty; }

  std::uint8_t Code(std::int64_t t, int shift) const {
    return static_cast<std::uint8_t>(enc_[static_cast<std::size_t>(t - lo_)] -
                                     mix_[static_cast<std::size_t>((t + shift) % kMixCycle)]);
  }
  // The byte decoded at t, or `otherwise` before what is kept of them.
  std::uint8_t Decoded(std::int64_t t, std::uint8_t otherwise) const {
    return t >= lo_ ? dec_[static_cast<std::size_t>(t - lo_)] : otherwise;
  }
  bool ReadAt(std::int64_t t, int shift, PackedCounters& counters, std::uint8_t& byte) const {
    return book_.Read(Code(t, shift), counters, byte);
  }
  // A random word for each counter and value: a state's hash is the xor
  // of its counters' words, so one step changes it by two words.
  static std::uint64_t Zobrist(std::size_t counter, std::uint8_t value) {
    static constexpr auto kWords = [] {
      std::array<std::uint64_t, 32 * 8> w{};
      for (std::size_t i = 0; i < w.size(); ++i) {
        std::uint64_t x = (i + 1) * 0x9E3779B97F4A7C15ull;
        x = (x ^ x >> 30) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ x >> 27) * 0x94D049BB133111EBull;
        w[i] = x ^ x >> 31;
      }
      return w;
    }();
    return kWords[counter * 8 + value];
  }
  bool SameState(const Candidate& a, const Candidate& b) const {
    PackedCounters x = beam_[a.parent].counters, y = beam_[b.parent].counters;
    if (a.counter >= 0) x[static_cast<std::size_t>(a.counter)] = a.value;
    if (b.counter >= 0) y[static_cast<std::size_t>(b.counter)] = b.value;
    return x == y;
  }
  // Decodes from cur_ up to `limit`, searching where a code fails. False
  // when the file is rejected.
  bool Advance(std::int64_t limit, std::int64_t available);
  bool Repair(std::int64_t failure, std::int64_t available);
  bool QuickRepair(std::int64_t failure, std::int64_t available);
  std::int64_t ReadOn(QuickPath& path, std::int64_t to) const;
  Search Window(const State& root, std::int64_t failure, std::int64_t available, int slack);
  State StateAt(std::int64_t t) const;
  bool Settled(std::int32_t offset) const;
  // Real text, even with many accents, needs a drop every eleven bytes or
  // so; a drop every six or fewer marks a wrong key or a foreign file. The
  // whole file is judged at its end; on the way, once the drops run this
  // far ahead, so that noise is refused early instead of searched through.
  static constexpr std::int64_t kDropsAhead = 64;
  bool TooManyDrops(std::int64_t slack) const { return dropPoints_ > slack + cur_ / 6; }
  void Flush(std::int64_t upTo);

  std::FILE* input_;
  std::FILE* output_;
  BlockWriter* writer_ = nullptr;  // over output_, while Run() runs
  const Progress& progress_;
  const std::array<std::uint8_t, kMixCycle> mix_;
  const int period_;
  const CodeBook& book_;
  const TextModel& model_;

  std::vector<std::uint8_t> enc_, dec_;
  std::int64_t lo_ = 0;       // position of enc_[0]
  std::int64_t written_ = 0;  // decoded bytes already written out
  std::int64_t cur_ = 0;      // next position to decode
  State state_;               // before cur_
  State floor_;               // nothing before floor_.at is searched again
  std::array<State, kCheckRing> checks_{};
  std::vector<Reading> beam_, next_;
  std::vector<EventLink> links_;
  std::vector<Candidate> cands_;
  std::vector<std::uint64_t> ranks_;
  std::array<std::uint32_t, kTable> table_{};       // open addressing over cands_
  std::array<std::uint32_t, kTable> tableStamp_{};  // a slot is taken when it holds stamp_
  std::uint32_t stamp_ = 0;
  std::int64_t windowEnd_ = 0;  // where the last search stopped
  std::int64_t dropPoints_ = 0;
  std::int64_t counterFixes_ = 0;
  std::int64_t searchedSpan_ = 0;     // bytes read by searches
  std::int64_t searchedPenalty_ = 0;  // and how unlike text they were

  std::vector<QuickPath> paths_;  // the quick search's scratch
  std::vector<QuickPath*> near_;
};

FrequencyDecoder::State FrequencyDecoder::StateAt(std::int64_t t) const {
  // The latest saved state at or before t, then decode forward with the
  // shift that has held since the floor.
  State s = floor_;
  const State& check = checks_[static_cast<std::size_t>(t / kCheckEvery) % kCheckRing];
  const std::int64_t c = t / kCheckEvery * kCheckEvery;
  if (check.at == c && c >= floor_.at) s = check;
  for (std::int64_t i = s.at; i < t; ++i) {
    std::uint8_t b = 0;
    ReadAt(i, s.shift, s.counters, b);
  }
  s.at = t;
  return s;
}

bool FrequencyDecoder::Advance(std::int64_t limit, std::int64_t available) {
  while (cur_ < limit) {
    // The counters as a local, which the byte stores cannot touch.
    PackedCounters counters = state_.counters;
    const std::uint8_t* const enc = enc_.data();
    std::uint8_t* const dec = dec_.data();
    std::size_t mixAt = static_cast<std::size_t>((cur_ + state_.shift) % kMixCycle);
    std::int64_t t = cur_;
    bool failed = false;
    while (t < limit && !failed) {
      if (t % kCheckEvery == 0) {
        State& check = checks_[static_cast<std::size_t>(t / kCheckEvery) % kCheckRing];
        check.at = t, check.shift = state_.shift, check.counters = counters;
      }
      const std::int64_t stop = std::min(limit, (t / kCheckEvery + 1) * kCheckEvery);
      for (; t < stop; ++t) {
        const auto i = static_cast<std::size_t>(t - lo_);
        const auto code = static_cast<std::uint8_t>(enc[i] - mix_[mixAt]);
        if (++mixAt == kMixCycle) mixAt = 0;
        if (!book_.Read(code, counters, dec[i])) {
          failed = true;
          break;
        }
      }
    }
    state_.counters = counters;
    cur_ = t;
    state_.at = t;
    if (failed && (!Repair(t, available) || TooManyDrops(kDropsAhead))) return false;
  }
  return true;
}

std::int64_t FrequencyDecoder::ReadOn(QuickPath& p, std::int64_t to) const {
  // Reads on under the path's shift; where it stopped.
  for (std::uint8_t byte = 0; p.end < to; ++p.end) {
    if (!ReadAt(p.end, p.shift, p.counters, byte)) break;
    p.score += model_.Cost(p.beforeLast, p.last, byte);
    p.beforeLast = p.last, p.last = byte;
  }
  return p.end;
}

bool FrequencyDecoder::QuickRepair(std::int64_t failure, std::int64_t available) {
  const std::int64_t from = std::max({floor_.at, lo_, failure - kQuickBack});
  const std::int64_t goal = std::min(failure + kQuickAfter, available);
  // How unlike text the reading so far is, from `from` up to each place,
  // so that every way is weighed over the same bytes.
  std::array<int, kQuickBack + 2> before{};
  const auto at = [from](std::int64_t t) { return static_cast<std::size_t>(t - from); };
  for (std::int64_t t = from; t < failure; ++t)
    before[at(t + 1)] = before[at(t)] + model_.Cost(Decoded(t - 2, '.'), Decoded(t - 1, ' '), Decoded(t, 0));

  // Every place and shift that reads clean up to the goal. Going back from
  // the failure, the counters step back over the bytes read before it.
  paths_.clear();
  PackedCounters counters = state_.counters;
  for (std::int64_t q = failure; q >= from; --q) {
    if (q < failure) book_.Unread(Decoded(q, 0), counters);
    for (int k = 0; k < period_; ++k) {
      if (k == state_.shift) continue;
      QuickPath p{before[at(q)] + kDropWeight, q, k, counters, q, counters, Decoded(q - 2, '.'), Decoded(q - 1, ' ')};
      if (ReadOn(p, goal) == goal) paths_.push_back(p);
    }
  }
  if (paths_.empty()) return false;

  // Ways that end in the same state go on alike: only the best of them is
  // a rival, ties to the one found first. Then the ones near the best.
  std::vector<QuickPath*>& near = near_;
  near.clear();
  for (QuickPath& p : paths_) {
    const auto same = std::find_if(near.begin(), near.end(), [&p](const QuickPath* o) {
      return o->shift == p.shift && o->counters == p.counters;
    });
    if (same == near.end())
      near.push_back(&p);
    else if (p.score < (*same)->score)
      *same = &p;
  }
  const auto keepNear = [&near] {
    std::stable_sort(near.begin(), near.end(), [](const QuickPath* a, const QuickPath* b) { return a->score < b->score; });
    const int limit = near.front()->score + kQuickMargin;
    near.erase(std::find_if(near.begin() + 1, near.end(), [limit](const QuickPath* p) { return p->score >= limit; }),
               near.end());
  };
  const auto agree = [&near] {
    return std::all_of(near.begin() + 1, near.end(), [&near](const QuickPath* p) {
      return p->at == near.front()->at && p->shift == near.front()->shift;
    });
  };
  keepNear();
  if (!agree()) {
    // Near rivals differ in a counter, which a later code may decide: the
    // ones that read on furthest stay.
    std::int64_t reach = 0;
    for (QuickPath* p : near) reach = std::max(reach, ReadOn(*p, std::min(goal + kQuickReach, available)));
    near.erase(std::remove_if(near.begin(), near.end(), [reach](const QuickPath* p) { return p->end < reach; }),
               near.end());
    keepNear();
    if (!agree()) return false;
  }
  const QuickPath& lead = *near.front();
  state_ = floor_ = {lead.at, lead.shift, lead.first};
  cur_ = lead.at;
  ++dropPoints_;
  searchedSpan_ += goal - from;
  searchedPenalty_ += lead.score - kDropWeight;
  return true;
}

bool FrequencyDecoder::Repair(std::int64_t failure, std::int64_t available) {
  if (QuickRepair(failure, available)) return true;
  const std::int64_t start = std::max(floor_.at, failure - kBack);
  const State root = StateAt(start);
  // A reading that needs more drops than the best one can still be the
  // right one once the best dies; when every reading died, allow more.
  for (int slack = 1; slack <= kMaxSlack; ++slack) {
    const Search found = Window(root, failure, available, slack);
    if (found == Search::kFound) break;
    if (found == Search::kNoise || slack == kMaxSlack) return false;
  }
  // The end of the window is not confirmed yet: a drop just before it may
  // still hide behind codes that happen to check. Keep the lead's reading
  // up to kConfirm bytes before the end, and go on from there.
  const std::int64_t end =
      windowEnd_ == available ? windowEnd_ : std::max(failure + 1, windowEnd_ - kConfirm);
  std::vector<Event> events;
  for (std::int32_t l = beam_.front().lastEvent; l >= 0; l = links_[static_cast<std::size_t>(l)].previous)
    events.push_back(links_[static_cast<std::size_t>(l)].event);
  std::reverse(events.begin(), events.end());
  State s = root;
  std::size_t e = 0;
  int drops = 0;
  for (std::int64_t i = start; i < end; ++i) {
    std::uint8_t& byte = dec_[static_cast<std::size_t>(i - lo_)];
    const Event* ev = e < events.size() && start + events[e].offset == i ? &events[e++] : nullptr;
    if (ev) {
      s.shift = ev->shift;
      drops += ev->drop;
      counterFixes_ += ev->resync;
    }
    if (ev && ev->resync)
      book_.Resync(Code(i, s.shift), s.counters, byte);
    else
      ReadAt(i, s.shift, s.counters, byte);
  }
  s.at = end;
  dropPoints_ += drops;
  searchedSpan_ += windowEnd_ - start;
  searchedPenalty_ += beam_.front().penalty;
  state_ = s;
  floor_ = s;
  cur_ = end;
  return true;
}

bool FrequencyDecoder::Settled(std::int32_t offset) const {
  // The latest event before `offset` on a reading names its whole way up
  // to there: events are shared by the readings that branched after them.
  const auto before = [this, offset](std::int32_t l) {
    while (l >= 0 && links_[static_cast<std::size_t>(l)].event.offset >= offset)
      l = links_[static_cast<std::size_t>(l)].previous;
    return l;
  };
  const int near = Score(beam_.front()) + kDropWeight;
  const std::int32_t lead = before(beam_.front().lastEvent);
  for (std::size_t i = 1; i < beam_.size() && Score(beam_[i]) < near; ++i)
    if (before(beam_[i].lastEvent) != lead) return false;
  return true;
}

FrequencyDecoder::Search FrequencyDecoder::Window(const State& root, std::int64_t failure,
                                                  std::int64_t available, int slack) {
  const std::int64_t start = root.at;
  beam_.assign(1, Reading{});
  links_.clear();
  beam_[0].shift = root.shift;
  beam_[0].counters = root.counters;
  for (std::size_t i = 0; i < root.counters.size(); ++i) beam_[0].hash ^= Zobrist(i, root.counters[i]);
  beam_[0].beforeLast = Decoded(start - 2, '.');
  beam_[0].last = Decoded(start - 1, ' ');

  std::int64_t t = start;
  for (; t < available; ++t) {
    // Reading on without a drop cannot pass the failure, so until then
    // the best reading counts as one drop more.
    const int best = beam_.front().cost;
    const int allowed = (t <= failure ? std::max(best, 1) : best) + slack;
    // This byte's code under every shift.
    // Twice over, so that a reading's shifts need no remainder.
    std::array<std::uint8_t, 2 * kMaxPeriod> code;
    for (int k = 0; k < period_; ++k)
      code[static_cast<std::size_t>(k)] = code[static_cast<std::size_t>(k + period_)] = Code(t, k);
    // Each way on is first weighed without copying its reading; readings in
    // the same state go on alike, so only the best of each state is kept.
    cands_.clear();
    if (++stamp_ == 0) tableStamp_.fill(0), stamp_ = 1;
    std::uint32_t order = 0;
    // The scores the states in the table were first entered with, the best
    // kBeam of them as a max-heap. A state's score only falls after that, so
    // once kBeam states are in, a way on that scores no better than the top
    // cannot be kept (it would lose the tie by order too), nor can one that
    // only matches a state already out of the running.
    std::array<int, kBeam> held;
    std::size_t heldCount = 0;
    for (std::size_t ri = 0; ri < beam_.size(); ++ri) {
      const Reading& r = beam_[ri];
      const int base = Score(r);
      // The beam is sorted by score and a way on never scores less.
      if (heldCount == kBeam && base >= held[0]) break;
      for (int k = 0; k < period_; ++k) {
        const bool drop = k != 0;
        if (drop && (r.cost + 1 > allowed || r.events == kMaxEvents)) break;
        if (drop && heldCount == kBeam && base + kDropWeight >= held[0]) break;
        const int shift = r.shift + k < period_ ? r.shift + k : r.shift + k - period_;
        const std::uint8_t here = code[static_cast<std::size_t>(r.shift + k)];
        const CodeMeaning& m = book_.meaning[here];
        Candidate c;
        c.parent = static_cast<std::uint16_t>(ri);
        c.shift = static_cast<std::uint8_t>(shift);
        c.drop = drop;
        c.resync = false;
        c.counter = m.counter;
        c.byte = m.byte;
        if (m.counter >= 0) {
          const std::uint8_t now = r.counters[static_cast<std::size_t>(m.counter)];
          if (now != m.expect) {
            if (here == 14) {
              c.counter = -1;
              c.byte = 'F';
            } else {
              // An earlier misreading may have left a counter wrong; a
              // reading can take the code as it stands, at a price, and
              // together with a drop only as a last resort.
              if (!((!drop || slack == kMaxSlack) && r.events < kMaxEvents)) continue;
              c.resync = true;
            }
          }
          if (c.counter >= 0) c.value = static_cast<std::uint8_t>(m.expect + 1 == m.cycle ? 0 : m.expect + 1);
        } else if (!m.valid) {
          continue;
        }
        std::uint64_t h = r.hash;
        if (c.counter >= 0) {
          const auto at = static_cast<std::size_t>(c.counter);
          h ^= Zobrist(at, r.counters[at]) ^ Zobrist(at, c.value);
        }
        c.hash = h;
        c.score = base + (c.resync ? kResyncWeight : 0) + (drop ? kDropWeight : 0) +
                  model_.Cost(r.beforeLast, r.last, c.byte);
        if (heldCount == kBeam && c.score >= held[0]) continue;
        c.order = order++;
        const std::uint64_t key = h ^ static_cast<std::uint64_t>(shift + 1) * 0x9E3779B97F4A7C15ull;
        std::size_t slot = static_cast<std::size_t>(key ^ key >> 32) & (kTable - 1);
        for (;; slot = (slot + 1) & (kTable - 1)) {
          if (tableStamp_[slot] != stamp_) {
            tableStamp_[slot] = stamp_;
            table_[slot] = static_cast<std::uint32_t>(cands_.size());
            cands_.push_back(c);
            if (heldCount < kBeam) {
              held[heldCount++] = c.score;
              std::push_heap(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(heldCount));
            } else {
              std::pop_heap(held.begin(), held.end());
              held[kBeam - 1] = c.score;
              std::push_heap(held.begin(), held.end());
            }
            break;
          }
          Candidate& other = cands_[table_[slot]];
          if (other.hash == c.hash && other.shift == c.shift && SameState(other, c)) {
            // Ties go to the earlier, as they are weighed in order.
            if (c.score < other.score) other = c;
            break;
          }
        }
      }
    }
    if (cands_.empty()) return Search::kDied;
    // The best kBeam by score, then by the order they were weighed in, as
    // one word each: score, order, place in cands_.
    ranks_.clear();
    for (std::size_t i = 0; i < cands_.size(); ++i)
      ranks_.push_back(static_cast<std::uint64_t>(cands_[i].score) << 32 |
                       static_cast<std::uint64_t>(cands_[i].order) << 16 | i);
    const std::size_t keep = std::min(ranks_.size(), kBeam);
    if (ranks_.size() > keep)
      std::nth_element(ranks_.begin(), ranks_.begin() + static_cast<std::ptrdiff_t>(keep), ranks_.end());
    std::sort(ranks_.begin(), ranks_.begin() + static_cast<std::ptrdiff_t>(keep));
    next_.clear();
    for (std::size_t i = 0; i < keep; ++i) {
      const Candidate& c = cands_[ranks_[i] & 0xFFFF];
      Reading& n = next_.emplace_back(beam_[c.parent]);
      if (c.counter >= 0) n.counters[static_cast<std::size_t>(c.counter)] = c.value;
      n.hash = c.hash;
      if (c.resync) n.penalty += kResyncWeight;
      if (c.drop || c.resync) {
        n.shift = c.shift;
        n.cost += c.drop;
        ++n.events;
        links_.push_back({{static_cast<std::int32_t>(t - start), c.shift, c.drop, c.resync}, n.lastEvent});
        n.lastEvent = static_cast<std::int32_t>(links_.size() - 1);
      }
      n.penalty += model_.Cost(n.beforeLast, n.last, c.byte);
      n.beforeLast = n.last;
      n.last = c.byte;
    }
    beam_.swap(next_);

    const Reading& lead = beam_.front();
    const std::int64_t lastEvent =
        lead.lastEvent >= 0 ? start + links_[static_cast<std::size_t>(lead.lastEvent)].event.offset : start;
    // A wrong key needs a drop every few bytes; real text far fewer.
    if (lead.cost > 8 + (t + 1 - start) / 3) return Search::kNoise;
    // Done when the lead's last drop is confirmed and no other reading is
    // as cheap: a rival with the same count differs in a counter, which a
    // later code may still decide.
    const bool alone = beam_.size() == 1 || Score(beam_[1]) >= Score(lead) + kDropWeight;
    if (t >= failure + kConfirm && t >= lastEvent + kConfirm && alone) break;
    // Or when every reading near the lead took the same way up to where
    // the lead's reading is kept: the rest is searched again from there.
    if (t >= failure + kConfirm && (t - start) % 4 == 0 &&
        Settled(static_cast<std::int32_t>(t + 1 - kConfirm - start)))
      break;
    if (t + 1 >= failure + kMaxWindow) break;
  }
  windowEnd_ = std::min(t + 1, available);
  return Search::kFound;
}

void FrequencyDecoder::Flush(std::int64_t upTo) {
  if (upTo <= written_) return;
  const auto count = static_cast<std::size_t>(upTo - written_);
  std::memcpy(writer_->Buffer(), dec_.data() + (written_ - lo_), count);
  writer_->Write(count);
  written_ = upTo;
}

FrequencyDecryptResult FrequencyDecoder::Run() {
  FrequencyDecryptResult result;
  const std::int64_t size = StreamSize(input_);
  if (size < 0) {
    result.status = DecryptStatus::kRejected;
    return result;
  }
  enc_.resize(kBlock + static_cast<std::size_t>(kKeep + kMaxWindow));
  dec_.resize(enc_.size());
  BlockWriter writer(output_, enc_.size(), size);
  writer_ = &writer;
  floor_.at = 0;
  state_.at = 0;
  std::int64_t read = 0;
  std::size_t filled = 0;
  bool ok = true;
  while (ok) {
    const auto count = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(enc_.size() - filled), size - read));
    ReadBlock(input_, enc_.data() + filled, count);
    filled += count;
    read += static_cast<std::int64_t>(count);
    const std::int64_t available = lo_ + static_cast<std::int64_t>(filled);
    const bool last = read >= size;
    // Leave room after every failure for the search to look ahead.
    ok = Advance(last ? available : available - kMaxWindow, available);
    if (ok && !GoOn(progress_, std::min(cur_, size), size)) {
      result.status = DecryptStatus::kStopped;
      return result;
    }
    if (!ok || last) break;
    // Keep what a search may go back to and rewrite; write out the rest.
    const std::int64_t keepFrom = std::max(lo_, (cur_ - kKeep) / kCheckEvery * kCheckEvery);
    Flush(keepFrom);
    const auto drop = static_cast<std::size_t>(keepFrom - lo_);
    std::memmove(enc_.data(), enc_.data() + drop, filled - drop);
    std::memmove(dec_.data(), dec_.data() + drop, filled - drop);
    filled -= drop;
    lo_ = keepFrom;
  }
  // With a wrong key the searches run everywhere, need many drops and read
  // unlikely characters; real text, even with many accents, neither.
  if (ok && TooManyDrops(2)) ok = false;
  if (ok && searchedSpan_ >= 16 && 2 * searchedPenalty_ > 5 * searchedSpan_) ok = false;
  if (ok) Flush(cur_);
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

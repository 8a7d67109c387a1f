#include "cipher/frequency/drop_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <type_traits>

namespace qor {

namespace {

// Readings kept at each byte: enough to hold the right one through the
// thickest drops of accented text, few enough that a search stays cheap.
// With letter pairs in the ranking, 12 loses little against 16 and costs
// a quarter less.
constexpr std::size_t kBeam = 12;
// Drops and counters taken against their codes that one reading may carry
// in a search: more than real text needs in kMaxSearchAhead bytes, and a
// bound on the links a search keeps.
constexpr int kMaxEvents = 48;
// How many more drops than the best a reading may carry: the right reading
// can look worse until the best dies; after 3 it is not worth following.
constexpr int kMaxSlack = 3;
// Clean bytes that confirm a reading, after the failure and after its last
// event: a wrong shift rarely reads 16 codes in a row as valid.
constexpr std::int64_t kConfirm = 16;
// A drop weighs as much as a few unlikely characters: fewer drops win
// unless they cost a run of noise.
constexpr int kDropWeight = 16;
// Text drops a byte or a few at a place: a Windows-1252 accent one, a run
// of no-break spaces three, a UTF-8 letter two and its marks three. A
// place that drops more weighs as two; had it cost no more than a short
// one, the search took it for two nearby places with a kept byte between
// misread, and a tenth of the wrong bytes went. So does a place of two
// bytes where none of the last places read (DecoderState::twoByteDrops)
// dropped two: Windows-1252 text has few, UTF-8 text many. That took a
// sixth of the wrong bytes of the Spanish reference, none of UTF-8 text's.
constexpr int kLongDrop = DecoderState::kLongDrop, kLongDropWeight = kDropWeight;
// Windows-1252 text drops its quotation marks too, and a pair of them is
// two drop places a word or a few apart. A short drop place that may close
// a quote which one less than DecoderState::kQuoteReach before may have
// opened weighs less: by three quarters of a place where a sign follows
// the opening one, as a path, an option or a variable in quotes does; by a
// quarter where a letter does, as it does an accented letter at a word's
// start. Before, the sign came back read as a letter and the drop a byte
// later ("Svar/log" for "\xAB/var/log\xBB", "hTERM" for "\xAB$TERM\xBB").
// A fifth of the wrong bytes of the Spanish reference went, 6% of its
// UTF-8 form's; the manual pages and the English reference came back about
// as before. At a whole place after a sign, the closing drop cost nothing
// and no more went; at half a place after a letter, headings in capitals
// came back wrong more often, where one accent opens a word and another
// ends one.
constexpr int QuotePairSaving(TextModel::QuoteMark opened) {
  return opened == TextModel::QuoteMark::kOpensSign   ? 3 * kDropWeight / 4
         : opened == TextModel::QuoteMark::kOpensWord ? kDropWeight / 4
                                                      : 0;
}
// A code taken against its counter weighs as much as a drop: both are rare.
constexpr int kResyncWeight = 16;
// The noise test: a reading is noise once it needs more drops than this
// allowance and one every kNoiseBytesPerDrop bytes; a wrong key needs a drop
// every few bytes, real text far fewer.
constexpr int kNoiseAllowance = 8;
constexpr std::int64_t kNoiseBytesPerDrop = 3;
// How far past the failure the search reads before it takes the lead's
// way whether or not its rivals agree: rivals that read on together that
// long seldom part later. One search in twenty ran to 256 and those took
// a quarter of the search time; at 96 real text decrypts about a fifth
// faster and, over the three corpora of the bench, no less right.
constexpr std::int64_t kMaxSearchReach = 96;
static_assert(kMaxSearchReach <= kMaxSearchAhead);
// How far behind the best way on of a byte a reading may fall and stay in
// the beam: two drops, until a few bytes past the failure, where the
// readings have placed the drop it needs; a drop and three quarters from
// there. A reading further behind seldom catches up, and weighing the ways
// on of such readings took half a search's time where the beam was full and
// more where rivals read on together to kMaxSearchReach. Over the
// Windows-1252 corpora of the bench, as many bytes come back wrong as with
// no bound; at 31 throughout, 1% more. At a drop and a half, UTF-8 text,
// which drops twice as many bytes, came back with 8% more wrong bytes.
constexpr int kBeamMargin = 2 * kDropWeight, kSettledMargin = kDropWeight + 3 * kDropWeight / 4;
constexpr std::int64_t kSettledAfter = 8;
// How often, in bytes, the search asks whether the readings near the lead
// agree: the question walks their events, and stopping a few bytes later
// costs less than asking at every byte.
constexpr std::int64_t kAgreeCheckEvery = 4;

// The mixing repeats after twice the key's length or sooner, so a period is
// at most 14; the slot table holds every way on of a byte with room, and is
// a power of two so that a slot is a mask away.
constexpr int kMaxPeriod = 14;
constexpr std::size_t kSlots = 1024;
static_assert(kSlots >= 2 * kBeam * kMaxPeriod && (kSlots & (kSlots - 1)) == 0);
// Ways on of one byte: each reading of the beam under each shift.
constexpr std::size_t kMaxCandidates = kBeam * kMaxPeriod;

// Moves `value` into the ascending words before `at`, taking the place at
// `at`. The words start after a 0, which no word is less than, so that the
// move needs no test for the front.
void MoveIn(std::uint64_t* at, std::uint64_t value) {
  for (; at[-1] > value; --at) *at = at[-1];
  *at = value;
}

// How a way on ranks: by score, then by its reading's place in the beam,
// then by how far it moves the shift; the order in which the ways would be
// weighed one by one, reading by reading.
static_assert(kBeam <= 16 && kMaxPeriod <= 16 && kMaxCandidates <= 256);
constexpr std::uint64_t WayKey(int score, std::size_t reading, int k) {
  return static_cast<std::uint64_t>(score) << 8 | reading << 4 | static_cast<std::uint64_t>(k);
}

// A random word for each counter and value: a state's hash is the xor of its
// counters' words, so one step changes it by two words.
std::uint64_t Zobrist(std::size_t counter, std::uint8_t value) {
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

// The packed counter that no character steps, which stays 0.
constexpr std::uint8_t kSteadyCounter = CodeReader::kCounterOfFixedCodes;

// What a code means to a reading, packed for the search's inner loop.
struct CodeWay {
  std::uint64_t hashStep = 0;  // how the hash changes when the counter agrees
  std::uint8_t byte = 0;
  std::uint8_t counter = 0;    // packed counter it steps
  std::uint8_t expect = 0, after = 0;
  bool fourthEOrF = false;
  bool valid = false;
};

const std::array<CodeWay, 256>& CodeWays() {
  static const std::array<CodeWay, 256> ways = [] {
    std::array<CodeWay, 256> w{};
    const CodeReader& codes = CodeReader::Shared();
    for (std::size_t code = 0; code < w.size(); ++code) {
      const CodeMeaning& m = codes.Meaning(static_cast<std::uint8_t>(code));
      CodeWay& c = w[code];
      c.byte = m.byte;
      // A code of no cycling character checks and sets the counter that
      // stays 0, so that every code steps some counter.
      c.counter = m.counter >= 0 ? static_cast<std::uint8_t>(m.counter) : kSteadyCounter;
      c.expect = m.counter >= 0 ? m.expect : 0;
      c.after = m.counter >= 0 ? m.CounterAfter() : 0;
      c.fourthEOrF = code == kFourthEOrF;
      c.valid = m.valid;
      if (m.counter >= 0)
        c.hashStep = Zobrist(static_cast<std::size_t>(m.counter), m.expect) ^
                     Zobrist(static_cast<std::size_t>(m.counter), c.after);
    }
    return w;
  }();
  return ways;
}

}  // namespace

DropSearch::DropSearch(const DecodeBuffer& buffer)
    : buffer_(buffer), codes_(CodeReader::Shared()), text_(TextModel::Shared()), beam_(kBeam), nextBeam_(kBeam),
      candidates_(kMaxCandidates), slots_(kSlots), slotStamps_(kSlots) {}

int DropSearch::Penalty(const Reading& r) { return r.score - r.drops * kDropWeight; }

bool DropSearch::SameState(const Reading* beam, const Candidate& a, std::size_t parent, std::uint8_t counter,
                           std::uint8_t value) {
  PackedCounters x = beam[a.parent].counters, y = beam[parent].counters;
  x[a.counter] = a.value;
  y[counter] = value;
  return x == y;
}

bool DropSearch::ReadingsAgreeBefore(std::int32_t offset) const {
  // The latest event before `offset` on a reading names its whole way up
  // to there: events are shared by the readings that branched after them.
  const auto before = [this, offset](std::int32_t l) {
    while (l >= 0 && links_[static_cast<std::size_t>(l)].event.offset >= offset)
      l = links_[static_cast<std::size_t>(l)].previous;
    return l;
  };
  const int nearLead = Score(beam_.front()) + kDropWeight;
  const std::int32_t lead = before(beam_.front().lastEvent);
  for (std::size_t i = 1; i < beamSize_ && Score(beam_[i]) < nearLead; ++i)
    if (before(beam_[i].lastEvent) != lead) return false;
  return true;
}

std::optional<DropPlaces> DropSearch::Find(const DecoderState& root, std::int64_t failure, std::int64_t available) {
  // A reading that needs more drops than the best one can still be the
  // right one once the best dies; when every reading died, allow more.
  for (int slack = 1; slack <= kMaxSlack; ++slack) {
    const Outcome outcome = SearchDropPlaces(root, failure, available, slack);
    if (outcome == Outcome::kFound) break;
    if (outcome == Outcome::kNoise || slack == kMaxSlack) return std::nullopt;
  }
  // The end of the search is not confirmed yet: a drop just before it may
  // still hide behind codes that happen to check. The lead's reading is
  // kept up to kConfirm bytes before the end.
  const std::int64_t keepTo =
      searchedTo_ == available ? searchedTo_ : std::max(failure + 1, searchedTo_ - kConfirm);
  leadEvents_.clear();
  for (std::int32_t l = beam_.front().lastEvent; l >= 0; l = links_[static_cast<std::size_t>(l)].previous)
    leadEvents_.push_back(links_[static_cast<std::size_t>(l)].event);
  std::reverse(leadEvents_.begin(), leadEvents_.end());
  return DropPlaces{leadEvents_, searchedTo_, keepTo, Penalty(beam_[0])};
}

DropSearch::Outcome DropSearch::SearchDropPlaces(const DecoderState& root, std::int64_t failure,
                                                 std::int64_t available, int slack) {
  const std::int64_t start = root.at;
  const int period = buffer_.mixPeriod;
  const std::array<CodeWay, 256>& ways = CodeWays();
  beam_[0] = Reading{};
  beamSize_ = 1;
  links_.clear();
  beam_[0].shift = static_cast<std::int16_t>(root.shift);
  beam_[0].counters = root.counters;
  for (std::size_t i = 0; i < root.counters.size(); ++i) beam_[0].hash ^= Zobrist(i, root.counters[i]);
  beam_[0].beforeLast = buffer_.Decoded(start - 2, TextModel::kStartBeforeLast);
  beam_[0].last = buffer_.Decoded(start - 1, TextModel::kStartLast);
  beam_[0].openQuote = root.OpenQuoteAt(start);
  if (beam_[0].openQuote != TextModel::QuoteMark::kNone)
    beam_[0].quoteOpenedAt = static_cast<std::int16_t>(root.quoteOpenedAt - start);
  const std::uint32_t allShifts = (1u << period) - 1;
  // The drop lengths that weigh as one place, as bits.
  std::uint32_t shortDrops = 0;
  for (int dropped = 1; dropped < kLongDrop; ++dropped)
    shortDrops |= static_cast<std::uint32_t>(root.ShortDrop(dropped)) << dropped;

  // Whether a reading in the beam has a quote open.
  bool quotesOpen = beam_[0].openQuote != TextModel::QuoteMark::kNone;
  std::int64_t t = start;
  for (; t < available; ++t) {
    // Reading on without a drop cannot pass the failure, so until then
    // the best reading counts as one drop more.
    const int best = beam_[0].drops;
    const int allowed = (t <= failure ? std::max(best, 1) : best) + slack;
    const auto offset = static_cast<std::int16_t>(t - start);
    // What this byte's code means under every shift, looked up once and
    // twice over, so that a reading's shifts need no remainder; and the
    // shifts whose code some character gives, likewise, as bits.
    std::array<const CodeWay*, 2 * kMaxPeriod> wayAt;
    const std::uint8_t* const mix = buffer_.MixFrom(t);
    const std::uint8_t encrypted = buffer_.encrypted[static_cast<std::size_t>(t - buffer_.start)];
    std::uint32_t valid = 0;
    for (int k = 0; k < period; ++k) {
      const CodeWay* const w = &ways[static_cast<std::uint8_t>(encrypted - mix[k])];
      wayAt[static_cast<std::size_t>(k)] = wayAt[static_cast<std::size_t>(k + period)] = w;
      valid |= static_cast<std::uint32_t>(w->valid) << k;
    }
    valid |= valid << period;
    // The scratch in locals: the byte-wide stores below could otherwise
    // be any member, and each access would load it again.
    const Reading* const beam = beam_.data();
    const std::size_t beamSize = beamSize_;
    Candidate* const candidates = candidates_.data();
    std::uint32_t* const slots = slots_.data();
    std::uint32_t* const slotStamps = slotStamps_.data();
    std::size_t candidateCount = 0;
    if (++stamp_ == 0) std::fill(slotStamps_.begin(), slotStamps_.end(), 0), stamp_ = 1;
    const std::uint32_t stamp = stamp_;
    // Each way on is first weighed without copying its reading; readings in
    // the same state go on alike, so only the best of each state is kept,
    // the one with the least key. As the key settles ties, the ways can be
    // weighed in any order: first every reading under its own shift, which
    // mostly cost least, then the drops, many of which those rule out.
    // The keys the states in the table were first entered with, the least
    // kBeam of them, in order once there are kBeam (so few that moving one
    // in costs less than a heap). A state's key only falls after that, so
    // once kBeam states are in, a way on with a greater key than the last
    // cannot be kept, nor can one that only matches a state already out of
    // the running: `bar` is that last once kBeam are held, the most a key
    // can be before.
    std::array<std::uint64_t, kBeam + 1> heldAfter0;
    heldAfter0[0] = 0;
    std::uint64_t* const held = heldAfter0.data() + 1;
    std::size_t heldCount = 0;
    std::uint64_t bar = std::numeric_limits<std::uint64_t>::max();
    // The least of the keys by kBeamMargin, once the first ways on are in.
    std::uint64_t marginBar = bar;
    // Weighs reading `ri` under the shift `k` on from its own, `drop` when
    // k is not 0, from `least`, the key it would have at no cost, and the
    // costs of the row it reads in.
    // `quoted`: the way on is a short drop that may open a quote or close
    // the reading's; `saving`, what `least` took off in case it closes it.
    const auto weigh = [&](auto drop, std::size_t ri, int k, std::uint64_t least, const std::uint8_t* costs,
                           bool canResync, bool quoted = false, int saving = 0) {
      const Reading& r = beam[ri];
      const CodeWay& w = *wayAt[static_cast<std::size_t>(r.shift + k)];
      std::uint8_t counter = w.counter, value = w.after;
      std::uint8_t byte = w.byte;
      bool resync = false;
      std::uint64_t h = r.hash;
      {
        const std::size_t at = counter;
        if (r.counters[at] == w.expect) {
          h ^= w.hashStep;
        } else if (w.fourthEOrF) {
          counter = kSteadyCounter, value = 0;
          byte = 'F';
        } else {
          if (!canResync) return;
          resync = true;
          h ^= Zobrist(at, r.counters[at]) ^ Zobrist(at, w.after);
        }
      }
      // The quote the way on leaves open: a short drop may open one or
      // close the one open.
      auto quote = static_cast<std::uint8_t>(r.openQuote);
      int unsaved = saving;
      if (drop && quoted) {
        const TextModel::QuoteMark mark = text_.QuoteMarkAt(r.last, byte);
        if (DecoderState::OpensQuote(mark))
          quote = static_cast<std::uint8_t>(mark) | kOpenedHere;
        else if (saving > 0 && DecoderState::ClosesQuote(mark, offset - r.quoteOpenedAt))
          quote = static_cast<std::uint8_t>(TextModel::QuoteMark::kNone), unsaved = 0;
      }
      const std::uint64_t key = least + WayKey((resync ? kResyncWeight : 0) + costs[byte] + unsaved, 0, 0);
      if (key > bar) return;
      const int shift = !drop ? r.shift : r.shift + k < period ? r.shift + k : r.shift + k - period;
      // The hash's words are random, so its low bits make a slot.
      std::size_t slot = (static_cast<std::size_t>(h) ^ static_cast<std::size_t>(shift)) & (kSlots - 1);
      Candidate* into;
      for (;; slot = (slot + 1) & (kSlots - 1)) {
        if (slotStamps[slot] != stamp) {
          slotStamps[slot] = stamp;
          slots[slot] = static_cast<std::uint32_t>(candidateCount);
          into = &candidates[candidateCount++];
          if (heldCount < kBeam) {
            held[heldCount++] = key;
            if (heldCount == kBeam) {
              for (std::size_t i = 1; i < kBeam; ++i) MoveIn(held + i, held[i]);
              bar = std::min(held[kBeam - 1], marginBar);
            }
          } else {
            MoveIn(held + kBeam - 1, key);
            bar = std::min(held[kBeam - 1], marginBar);
          }
          break;
        }
        Candidate& other = candidates[slots[slot]];
        if (other.hash == h && other.shift == shift && SignQuoteOpen(other.quote) == SignQuoteOpen(quote) &&
            SameState(beam, other, ri, counter, value)) {
          if (key > other.key) return;
          into = &other;
          break;
        }
      }
      into->hash = h;
      into->key = key;
      into->parent = static_cast<std::uint8_t>(ri);
      into->shift = static_cast<std::uint8_t>(shift);
      into->counter = counter;
      into->value = value;
      into->byte = byte;
      into->drop = drop;
      into->resync = resync;
      into->quote = quote;
    };
    // The beam is sorted by score and a way on never scores less, so once a
    // reading's least key is past the bar, so are the next readings'.
    // An earlier misreading may have left a counter wrong; a reading can
    // take the code as it stands, at a price, and together with a drop
    // only as a last resort.
    for (std::size_t ri = 0; ri < beamSize; ++ri) {
      const Reading& r = beam[ri];
      const std::uint64_t least = WayKey(Score(r), ri, 0);
      if (least > bar) break;
      if (valid >> r.shift & 1u)
        weigh(std::false_type{}, ri, 0, least, text_.CostsAfter(r.beforeLast, r.last), r.events < kMaxEvents);
    }
    // The best so far bounds the best of all: ways on too far behind it
    // need not be weighed.
    const auto boundByMargin = [&](std::uint64_t leastKey) {
      const int margin = t > failure + kSettledAfter ? kSettledMargin : kBeamMargin;
      marginBar = WayKey(static_cast<int>(leastKey >> 8) + margin + 1, 0, 0) - 1;
      bar = std::min(bar, marginBar);
    };
    if (candidateCount > 0) {
      std::uint64_t leastKey = candidates[0].key;
      for (std::size_t i = 1; i < candidateCount; ++i) leastKey = std::min(leastKey, candidates[i].key);
      boundByMargin(leastKey);
    }
    // A reading with an open quote may close it for less than a drop, so a
    // reading's drops may weigh less than its score tells by the most that
    // it or any after it saves.
    std::array<int, kBeam + 1> savingFrom;
    if (quotesOpen) {
      savingFrom[beamSize] = 0;
      for (std::size_t ri = beamSize; ri-- > 0;)
        savingFrom[ri] = std::max(QuotePairSaving(beam[ri].openQuote), savingFrom[ri + 1]);
    }
    for (std::size_t ri = 0; ri < beamSize; ++ri) {
      const Reading& r = beam[ri];
      if (WayKey(Score(r) + kDropWeight - (quotesOpen ? savingFrom[ri] : 0), ri, 0) + 1 > bar) break;
      const int saving = QuotePairSaving(r.openQuote);
      const std::uint64_t least = WayKey(Score(r) + kDropWeight - saving, ri, 0);
      if (least + 1 > bar) continue;
      if (r.drops + 1 > allowed || r.events == kMaxEvents) continue;
      const std::uint8_t* const costs = text_.CostsAfterDrop(r.beforeLast, r.last);
      const bool canResync = slack == kMaxSlack && r.events < kMaxEvents;
      // The other shifts whose code some character gives, as bits by how
      // far they move the reading's: the short drops, then the long ones.
      const auto weighDrops = [&](std::uint32_t shifts, std::uint64_t from, bool quoted, int saving) {
        for (; shifts != 0; shifts &= shifts - 1) {
          const int k = std::countr_zero(shifts);
          if (from + static_cast<std::uint64_t>(k) > bar) break;
          weigh(std::true_type{}, ri, k, from + static_cast<std::uint64_t>(k), costs, canResync, quoted, saving);
        }
      };
      const std::uint32_t others = valid >> r.shift & allShifts & ~1u;
      weighDrops(others & shortDrops, least, saving > 0 || text_.QuoteMayOpenAfter(r.last), saving);
      weighDrops(others & ~shortDrops, least + WayKey(saving + kLongDropWeight, 0, 0), false, 0);
    }
    if (candidateCount == 0) return Outcome::kDied;
    // The best kBeam by key, as one word each with the place in
    // candidates_; kept in order as they come, since there are seldom many
    // more. The states held have keys at most the bar, so one with a
    // greater key cannot be among the best.
    std::array<std::uint64_t, kBeam + 1> ranked;
    ranked[0] = 0;
    std::uint64_t* const ranks = ranked.data() + 1;
    std::size_t keep = 0;
    for (std::size_t i = 0; i < candidateCount; ++i) {
      if (candidates[i].key > bar) continue;
      const std::uint64_t rank = candidates[i].key << 8 | i;
      if (keep == kBeam && rank >= ranks[kBeam - 1]) continue;
      MoveIn(ranks + (keep < kBeam ? keep++ : kBeam - 1), rank);
    }
    boundByMargin(ranks[0] >> 8);
    while (keep > 1 && (ranks[keep - 1] >> 8) > marginBar) --keep;
    Reading* const next = nextBeam_.data();
    quotesOpen = false;
    for (std::size_t i = 0; i < keep; ++i) {
      const Candidate& c = candidates[ranks[i] & 0xFF];
      Reading& n = next[i];
      n = beam[c.parent];
      n.counters[c.counter] = c.value;
      n.hash = c.hash;
      // The quote left open, as long as it counts at the next byte.
      if (c.quote & kOpenedHere) n.quoteOpenedAt = offset;
      n.openQuote = offset + 1 - n.quoteOpenedAt <= DecoderState::kQuoteReach
                        ? static_cast<TextModel::QuoteMark>(c.quote & ~kOpenedHere)
                        : TextModel::QuoteMark::kNone;
      quotesOpen |= n.openQuote != TextModel::QuoteMark::kNone;
      if (c.drop || c.resync) {
        n.shift = c.shift;
        n.drops += c.drop;
        ++n.events;
        links_.push_back({{static_cast<std::int32_t>(t - start), c.shift, c.drop, c.resync}, n.lastEvent});
        n.lastEvent = static_cast<std::int32_t>(links_.size() - 1);
      }
      n.score = static_cast<int>(c.key >> 8);
      n.beforeLast = n.last;
      n.last = c.byte;
    }
    beam_.swap(nextBeam_);
    beamSize_ = keep;

    const Reading& lead = beam_[0];
    const std::int64_t lastEvent =
        lead.lastEvent >= 0 ? start + links_[static_cast<std::size_t>(lead.lastEvent)].event.offset : start;
    if (lead.drops > kNoiseAllowance + (t + 1 - start) / kNoiseBytesPerDrop) return Outcome::kNoise;
    // Done when the lead's last drop is confirmed and no other reading is
    // as cheap: a rival with the same count differs in a counter, which a
    // later code may still decide.
    const bool alone = beamSize_ == 1 || Score(beam_[1]) >= Score(lead) + kDropWeight;
    if (t >= failure + kConfirm && t >= lastEvent + kConfirm && alone) break;
    // Or when every reading near the lead took the same way up to where
    // the lead's reading is kept: the rest is searched again from there.
    if (t >= failure + kConfirm && (t - start) % kAgreeCheckEvery == 0 &&
        ReadingsAgreeBefore(static_cast<std::int32_t>(t + 1 - kConfirm - start)))
      break;
    if (t + 1 >= failure + kMaxSearchReach) break;
  }
  searchedTo_ = std::min(t + 1, available);
  return Outcome::kFound;
}

}  // namespace qor

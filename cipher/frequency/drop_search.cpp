#include "cipher/frequency/drop_search.h"

#include <algorithm>
#include <array>
#include <limits>

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

// Takes the top of a full max-heap out and `value` in, in one pass down.
void ReplaceTop(std::array<int, kBeam>& heap, int value) {
  std::size_t hole = 0;
  for (std::size_t child = 1; child < kBeam; child = 2 * hole + 1) {
    if (child + 1 < kBeam && heap[child + 1] > heap[child]) ++child;
    if (heap[child] <= value) break;
    heap[hole] = heap[child];
    hole = child;
  }
  heap[hole] = value;
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

}  // namespace

DropSearch::DropSearch(const DecodeBuffer& buffer)
    : buffer_(buffer), codes_(CodeReader::Shared()), text_(TextModel::Shared()),
      candidates_(kMaxCandidates), slots_(kSlots), slotStamps_(kSlots) {}

int DropSearch::Score(const Reading& r) { return r.drops * kDropWeight + r.penalty; }

bool DropSearch::SameState(const Candidate& a, const Candidate& b) const {
  PackedCounters x = beam_[a.parent].counters, y = beam_[b.parent].counters;
  if (a.counter >= 0) x[static_cast<std::size_t>(a.counter)] = a.value;
  if (b.counter >= 0) y[static_cast<std::size_t>(b.counter)] = b.value;
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
  for (std::size_t i = 1; i < beam_.size() && Score(beam_[i]) < nearLead; ++i)
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
  return DropPlaces{leadEvents_, searchedTo_, keepTo, beam_.front().penalty};
}

DropSearch::Outcome DropSearch::SearchDropPlaces(const DecoderState& root, std::int64_t failure,
                                                 std::int64_t available, int slack) {
  const std::int64_t start = root.at;
  const int period = buffer_.mixPeriod;
  beam_.assign(1, Reading{});
  links_.clear();
  beam_[0].shift = root.shift;
  beam_[0].counters = root.counters;
  for (std::size_t i = 0; i < root.counters.size(); ++i) beam_[0].hash ^= Zobrist(i, root.counters[i]);
  beam_[0].beforeLast = buffer_.Decoded(start - 2, TextModel::kStartBeforeLast);
  beam_[0].last = buffer_.Decoded(start - 1, TextModel::kStartLast);

  std::int64_t t = start;
  for (; t < available; ++t) {
    // Reading on without a drop cannot pass the failure, so until then
    // the best reading counts as one drop more.
    const int best = beam_.front().drops;
    const int allowed = (t <= failure ? std::max(best, 1) : best) + slack;
    // This byte's code under every shift, twice over, so that a reading's
    // shifts need no remainder.
    std::array<std::uint8_t, 2 * kMaxPeriod> code;
    const std::uint8_t* const mix = buffer_.MixFrom(t);
    const std::uint8_t encrypted = buffer_.encrypted[static_cast<std::size_t>(t - buffer_.start)];
    for (std::size_t k = 0; k < 2 * static_cast<std::size_t>(period); ++k)
      code[k] = static_cast<std::uint8_t>(encrypted - mix[k]);
    // Each way on is first weighed without copying its reading; readings in
    // the same state go on alike, so only the best of each state is kept.
    Candidate* const candidates = candidates_.data();
    std::size_t candidateCount = 0;
    if (++stamp_ == 0) std::fill(slotStamps_.begin(), slotStamps_.end(), 0), stamp_ = 1;
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
      for (int k = 0; k < period; ++k) {
        const bool drop = k != 0;
        if (drop && (r.drops + 1 > allowed || r.events == kMaxEvents)) break;
        if (drop && heldCount == kBeam && base + kDropWeight >= held[0]) break;
        const int shift = r.shift + k < period ? r.shift + k : r.shift + k - period;
        const std::uint8_t here = code[static_cast<std::size_t>(r.shift + k)];
        const CodeMeaning& m = codes_.Meaning(here);
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
            if (here == kFourthEOrF) {
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
          if (c.counter >= 0) c.value = m.CounterAfter();
        } else if (!m.valid) {
          continue;
        }
        std::uint64_t h = r.hash;
        if (c.counter >= 0) {
          const auto at = static_cast<std::size_t>(c.counter);
          h ^= Zobrist(at, r.counters[at]) ^ Zobrist(at, c.value);
        }
        c.hash = h;
        c.score = base + (c.resync ? kResyncWeight : 0) +
                  (drop ? kDropWeight + text_.CostAfterDrop(r.beforeLast, r.last, c.byte)
                        : text_.Cost(r.beforeLast, r.last, c.byte));
        if (heldCount == kBeam && c.score >= held[0]) continue;
        c.order = order++;
        const std::uint64_t key = h ^ static_cast<std::uint64_t>(shift + 1) * 0x9E3779B97F4A7C15ull;
        std::size_t slot = static_cast<std::size_t>(key ^ key >> 32) & (kSlots - 1);
        for (;; slot = (slot + 1) & (kSlots - 1)) {
          if (slotStamps_[slot] != stamp_) {
            slotStamps_[slot] = stamp_;
            slots_[slot] = static_cast<std::uint32_t>(candidateCount);
            candidates[candidateCount++] = c;
            if (heldCount < kBeam) {
              held[heldCount++] = c.score;
              std::push_heap(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(heldCount));
            } else {
              ReplaceTop(held, c.score);
            }
            break;
          }
          Candidate& other = candidates[slots_[slot]];
          if (other.hash == c.hash && other.shift == c.shift && SameState(other, c)) {
            // Ties go to the earlier, as they are weighed in order.
            if (c.score < other.score) other = c;
            break;
          }
        }
      }
    }
    if (candidateCount == 0) return Outcome::kDied;
    // The best kBeam by score, then by the order they were weighed in, as
    // one word each: score, order, place in candidates_; kept in order as
    // they come, since there are seldom many more.
    std::array<std::uint64_t, kBeam> ranks;
    std::size_t keep = 0;
    // The states the heap holds score at most its top, so one that scores
    // more cannot be among the best.
    const int worstKept = heldCount == kBeam ? held[0] : std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < candidateCount; ++i) {
      if (candidates[i].score > worstKept) continue;
      const std::uint64_t rank = static_cast<std::uint64_t>(candidates[i].score) << 32 |
                                 static_cast<std::uint64_t>(candidates[i].order) << 16 | i;
      if (keep == kBeam && rank >= ranks[kBeam - 1]) continue;
      std::size_t j = keep < kBeam ? keep++ : kBeam - 1;
      for (; j > 0 && ranks[j - 1] > rank; --j) ranks[j] = ranks[j - 1];
      ranks[j] = rank;
    }
    nextBeam_.clear();
    for (std::size_t i = 0; i < keep; ++i) {
      const Candidate& c = candidates[ranks[i] & 0xFFFF];
      Reading& n = nextBeam_.emplace_back(beam_[c.parent]);
      if (c.counter >= 0) n.counters[static_cast<std::size_t>(c.counter)] = c.value;
      n.hash = c.hash;
      if (c.resync) n.penalty += kResyncWeight;
      if (c.drop || c.resync) {
        n.shift = c.shift;
        n.drops += c.drop;
        ++n.events;
        links_.push_back({{static_cast<std::int32_t>(t - start), c.shift, c.drop, c.resync}, n.lastEvent});
        n.lastEvent = static_cast<std::int32_t>(links_.size() - 1);
      }
      n.penalty += c.drop ? text_.CostAfterDrop(n.beforeLast, n.last, c.byte) : text_.Cost(n.beforeLast, n.last, c.byte);
      n.beforeLast = n.last;
      n.last = c.byte;
    }
    beam_.swap(nextBeam_);

    const Reading& lead = beam_.front();
    const std::int64_t lastEvent =
        lead.lastEvent >= 0 ? start + links_[static_cast<std::size_t>(lead.lastEvent)].event.offset : start;
    if (lead.drops > kNoiseAllowance + (t + 1 - start) / kNoiseBytesPerDrop) return Outcome::kNoise;
    // Done when the lead's last drop is confirmed and no other reading is
    // as cheap: a rival with the same count differs in a counter, which a
    // later code may still decide.
    const bool alone = beam_.size() == 1 || Score(beam_[1]) >= Score(lead) + kDropWeight;
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

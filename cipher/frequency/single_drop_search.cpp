#include "cipher/frequency/single_drop_search.h"

#include <algorithm>
#include <array>

namespace qor {

namespace {

// How far before the failure the drop is looked for: a wrong shift reads as
// valid codes for about two bytes, so 12 leaves ample room, at one reading
// per shift for every place.
constexpr std::int64_t kLookBack = 12;
// The bytes on either side of a guess's drop that a wrong shift may have
// misread.
constexpr std::int64_t kNextToDrop = 3;
// How far past the failure a guess must read clean: wrong shifts rarely
// last 20 bytes.
constexpr std::int64_t kCleanAfter = 20;
// How far rivals that differ only in a counter read on to be told apart:
// long enough for that character to come again.
constexpr std::int64_t kRivalReach = 64;
// Rivals within this much of the best cost are too close to call: about
// one unlikely character. With letter pairs and lone letters in the costs
// the best is seldom wrong by more; at 8 the full search ran a tenth more
// often for about as many wrong bytes.
constexpr int kNearMargin = 5;
// What a drop at the end must save: the tail as read must cost that much
// more than as read after the drop. After text, what the full search
// weighs a drop; with little before it or noise, two drops' weight.
constexpr int kEndDropSaving = 16, kEndDropSavingAlone = 32;
// Text costs no more than this a byte, about in bits: the bytes before the
// tail must, to count as text, and so must the tail read after the drop,
// so that coded bytes with no drop at all, which read as noise both ways,
// stay as they are.
constexpr int kEndTextCost = 3;
static_assert(SingleDropSearch::kEndLookBack <= kLookBack);
// A guess reads no further than this before it is weighed: Find takes its
// mixing amounts on from one place in the pattern.
static_assert(kLookBack + kCleanAfter + 2 * 14 <= kMixCycle);

// Whether the `n` codes, each byte of `encrypted` less its amount in
// `mix`, all check from `counters`; as ReadWhileClean reads, unweighed.
bool ReadsClean(const CodeReader& codes, PackedCounters counters, const std::uint8_t* encrypted,
                const std::uint8_t* mix, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (std::uint8_t byte = 0; !codes.Read(static_cast<std::uint8_t>(encrypted[i] - mix[i]), counters, byte)) return false;
  return true;
}

}  // namespace

std::int64_t SingleDropSearch::ReadWhileClean(Guess& g, std::int64_t to) const {
  // Read in locals: the counters' byte-wide stores could otherwise be any of
  // the guess's fields or the tables', and each byte would load them again.
  const CodeReader& codes = codes_;
  const TextModel& text = text_;
  const std::uint8_t* const encrypted = buffer_.encrypted.data();
  const std::uint8_t* const mix = buffer_.mix.data();
  const std::int64_t start = buffer_.start, dropAt = g.dropAt;
  PackedCounters counters = g.counters;
  int cost = g.cost;
  std::uint8_t beforeLast = g.beforeLast, last = g.last;
  std::int64_t at = g.readTo;
  // The mixing amount's turn steps along with the byte, as Code would take it.
  const auto period = static_cast<std::size_t>(buffer_.mixPeriod);
  std::size_t turn = static_cast<std::size_t>((at + g.shift) % buffer_.mixPeriod);
  for (std::uint8_t byte = 0; at < to; ++at, turn = turn + 1 == period ? 0 : turn + 1) {
    const auto code = static_cast<std::uint8_t>(encrypted[static_cast<std::size_t>(at - start)] - mix[turn]);
    if (!codes.Read(code, counters, byte)) break;
    cost += at == dropAt ? text.CostAfterDrop(beforeLast, last, byte) : text.Cost(beforeLast, last, byte);
    beforeLast = last, last = byte;
  }
  g.counters = counters;
  g.cost = cost;
  g.beforeLast = beforeLast, g.last = last;
  g.readTo = at;
  return at;
}

void SingleDropSearch::KeepNearBest() {
  std::stable_sort(rivals_.begin(), rivals_.end(), [](const Guess* a, const Guess* b) { return a->cost < b->cost; });
  const int limit = rivals_.front()->cost + kNearMargin;
  rivals_.erase(std::find_if(rivals_.begin() + 1, rivals_.end(), [limit](const Guess* g) { return g->cost >= limit; }),
                rivals_.end());
}

bool SingleDropSearch::RivalsAgree() const {
  const Guess& best = *rivals_.front();
  return std::all_of(rivals_.begin() + 1, rivals_.end(),
                     [&best](const Guess* g) { return g->dropAt == best.dropAt && g->shift == best.shift; });
}

int SingleDropSearch::DecodedCost(std::int64_t t) const {
  return text_.Cost(buffer_.Decoded(t - 2, TextModel::kStartBeforeLast), buffer_.Decoded(t - 1, TextModel::kStartLast),
                    buffer_.Decoded(t, 0));
}

void SingleDropSearch::WeighDecoded(std::int64_t from, std::int64_t to, int* costBefore) const {
  costBefore[0] = 0;
  for (std::int64_t t = from; t < to; ++t) costBefore[t + 1 - from] = costBefore[t - from] + DecodedCost(t);
}

std::optional<SingleDrop> SingleDropSearch::FindAtEnd(const DecoderState& atEnd, std::int64_t floor) const {
  const std::int64_t end = atEnd.at;
  const std::int64_t from = std::max({floor, buffer_.start, end - kEndLookBack});
  if (from >= end) return std::nullopt;
  int before = 0;
  const std::int64_t contextFrom = std::max(buffer_.start, from - kEndContext);
  for (std::int64_t t = contextFrom; t < from; ++t) before += DecodedCost(t);
  const bool afterText = from - contextFrom == kEndContext && before <= kEndTextCost * kEndContext;
  std::array<int, kLookBack + 2> costBefore{};
  WeighDecoded(from, end, costBefore.data());
  const int asRead = costBefore[static_cast<std::size_t>(end - from)];
  // The cheapest drop that reads clean to the end, the latest first on ties.
  std::optional<Guess> best;
  PackedCounters counters = atEnd.counters;
  for (std::int64_t q = end - 1; q >= from; --q) {
    codes_.Unread(buffer_.Decoded(q, 0), counters);
    const std::uint8_t* const mix = buffer_.MixFrom(q);
    const std::uint8_t encrypted = buffer_.encrypted[static_cast<std::size_t>(q - buffer_.start)];
    for (int k = 0; k < buffer_.mixPeriod; ++k) {
      if (k == atEnd.shift || !codes_.Checks(static_cast<std::uint8_t>(encrypted - mix[k]), counters)) continue;
      Guess g{costBefore[static_cast<std::size_t>(q - from)], q, k, counters, q, counters,
              buffer_.Decoded(q - 2, TextModel::kStartBeforeLast), buffer_.Decoded(q - 1, TextModel::kStartLast)};
      if (ReadWhileClean(g, end) == end && (!best || g.cost < best->cost)) best = g;
    }
  }
  if (!best || best->cost + (afterText ? kEndDropSaving : kEndDropSavingAlone) > asRead ||
      best->cost > kEndTextCost * (end - from))
    return std::nullopt;
  return SingleDrop{{best->dropAt, best->shift, best->countersAtDrop}, end - from, best->cost};
}

std::optional<SingleDrop> SingleDropSearch::Find(const DecoderState& atFailure, std::int64_t floor,
                                                 std::int64_t available) {
  constexpr std::uint8_t kStartBeforeLast = TextModel::kStartBeforeLast, kStartLast = TextModel::kStartLast;
  const std::int64_t failure = atFailure.at;
  const std::int64_t from = std::max({floor, buffer_.start, failure - kLookBack});
  const std::int64_t goal = std::min(failure + kCleanAfter, available);
  // How unlike text the reading so far is, from `from` up to each place,
  // so that every guess is weighed over the same bytes.
  std::array<int, kLookBack + 2> costBefore{};
  const auto at = [from](std::int64_t t) { return static_cast<std::size_t>(t - from); };
  WeighDecoded(from, failure, costBefore.data());

  // Every place and shift that reads clean up to the goal. Going back from
  // the failure, the counters step back over the bytes read before it.
  clean_.clear();
  PackedCounters counters = atFailure.counters;
  for (std::int64_t q = failure; q >= from; --q) {
    if (q < failure) codes_.Unread(buffer_.Decoded(q, 0), counters);
    // The pattern repeats after the period, so a shift's amounts run on
    // from its place for the byte at q: a guess reads far less than the
    // pattern holds.
    const std::uint8_t* const mix = buffer_.MixFrom(q);
    const std::uint8_t* const encrypted = &buffer_.encrypted[static_cast<std::size_t>(q - buffer_.start)];
    const std::size_t toGoal = goal >= q ? static_cast<std::size_t>(goal - q) : 0;
    for (int k = 0; k < buffer_.mixPeriod; ++k) {
      // Most shifts fail on their first codes: no guess is set up for them,
      // nor weighed.
      if (k == atFailure.shift || !codes_.Checks(static_cast<std::uint8_t>(encrypted[0] - mix[k]), counters)) continue;
      if (goal < q || !ReadsClean(codes_, counters, encrypted, mix + k, toGoal)) continue;
      Guess g{costBefore[at(q)], q, k, counters, q, counters, buffer_.Decoded(q - 2, kStartBeforeLast),
              buffer_.Decoded(q - 1, kStartLast)};
      ReadWhileClean(g, goal);
      clean_.push_back(g);
    }
  }
  if (clean_.empty()) return std::nullopt;

  // Guesses that end in the same state go on alike: only the best of them
  // is a rival, ties to the one found first. Then the ones near the best.
  rivals_.clear();
  for (Guess& g : clean_) {
    const auto same = std::find_if(rivals_.begin(), rivals_.end(), [&g](const Guess* o) {
      return o->shift == g.shift && o->counters == g.counters;
    });
    if (same == rivals_.end())
      rivals_.push_back(&g);
    else if (g.cost < (*same)->cost)
      *same = &g;
  }
  KeepNearBest();
  if (!RivalsAgree()) {
    // Near rivals differ in a counter, which a later code may decide: the
    // ones that read on furthest stay.
    std::int64_t reach = 0;
    for (Guess* g : rivals_) reach = std::max(reach, ReadWhileClean(*g, std::min(goal + kRivalReach, available)));
    rivals_.erase(std::remove_if(rivals_.begin(), rivals_.end(), [reach](const Guess* g) { return g->readTo < reach; }),
                  rivals_.end());
    KeepNearBest();
    if (!RivalsAgree()) return std::nullopt;
  }
  const Guess& best = *rivals_.front();
  // A control character next to the drop was read under a wrong shift:
  // likelier a second drop there, which only the full search weighs, as
  // around a mark quoted alone ("\xAB.\xBB", "\xAB;\xBB").
  for (std::int64_t q = std::max(from, best.dropAt - kNextToDrop); q < std::min(best.dropAt + kNextToDrop, goal); ++q)
    if (TextModel::IsControl(q < best.dropAt ? buffer_.Decoded(q, 0) : codes_.Meaning(buffer_.Code(q, best.shift)).byte))
      return std::nullopt;
  // Two bytes at one place, where the file has shown no such place lately,
  // are likelier two places of a byte with a byte between, which only the
  // full search weighs.
  if (buffer_.Dropped(atFailure.shift, best.shift) == DecoderState::kTwoBytes && !atFailure.TwoByteDropsLately())
    return std::nullopt;
  return SingleDrop{{best.dropAt, best.shift, best.countersAtDrop}, goal - from, best.cost};
}

}  // namespace qor

#include "cipher/frequency/decode_segments.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cipher/frequency/code_reader.h"
#include "cipher/frequency/drop_count.h"
#include "cipher/frequency/fourth_e_choice.h"
#include "cipher/frequency/frequency.h"
#include "cipher/frequency/frequency_decoder.h"
#include "cipher/frequency/text_model.h"
#include "cipher/frequency/text_plausibility.h"
#include "cipher/stream_io.h"

namespace qor {

namespace {

// Bytes the shift of a guess is tried over: a wrong one reads two or so.
constexpr std::int64_t kShiftTrial = 256;
// Output blocks.
constexpr std::size_t kWriteBlock = 1 << 16;

// Every cycling character's counter, by packed index.
std::uint32_t AllCounters() {
  std::uint32_t all = 0;
  const CodeReader& codes = CodeReader::Shared();
  for (int c = 0; c < 256; ++c) {
    const CodeMeaning& m = codes.Meaning(static_cast<std::uint8_t>(c));
    if (m.valid && m.counter >= 0) all |= std::uint32_t{1} << m.counter;
  }
  return all;
}

// The shift under which the codes from the start of `enc` (at file position
// `at`) read furthest, each counter learned from its first code; ties to
// the smallest.
int LikeliestShift(const CipherKey& key, const std::vector<std::uint8_t>& enc, std::int64_t at) {
  const std::array<std::uint8_t, kMixCycle> mix = StreamMixPattern(key);
  const int period = MixPeriod(mix);
  const CodeReader& codes = CodeReader::Shared();
  const auto end = std::min<std::int64_t>(kShiftTrial, static_cast<std::int64_t>(enc.size()));
  int best = 0;
  std::int64_t bestReach = -1;
  for (int shift = 0; shift < period; ++shift) {
    PackedCounters counters{};
    std::uint32_t unlearned = AllCounters();
    std::int64_t i = 0;
    for (std::uint8_t byte = 0; i < end; ++i) {
      const auto code = static_cast<std::uint8_t>(enc[static_cast<std::size_t>(i)] -
                                                  mix[static_cast<std::size_t>((at + i + shift) % kMixCycle)]);
      const CodeMeaning& m = codes.Meaning(code);
      if (m.valid && m.counter >= 0 && (unlearned >> m.counter & 1)) {
        unlearned &= ~(std::uint32_t{1} << m.counter);
        codes.Resync(code, counters, byte);
      } else if (!codes.Read(code, counters, byte)) {
        break;
      }
    }
    if (i > bestReach) best = shift, bestReach = i;
  }
  return best;
}

enum class Outcome { kDone, kRejected, kStopped };

// Feeds `d` from `enc` (the file's bytes from position `at`) and decodes up
// to `to`, handing out what is settled to `out`; `goOn` is asked after every
// block.
Outcome DecodeStretch(FrequencyDecoder& d, const std::vector<std::uint8_t>& enc, std::int64_t at, std::int64_t to,
                      std::int64_t size, std::vector<std::uint8_t>& out,
                      const std::function<bool(std::int64_t)>& goOn) {
  const std::int64_t encEnd = at + static_cast<std::int64_t>(enc.size());
  while (true) {
    const std::span<std::uint8_t> room = d.Room();
    const auto count = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(room.size()), encEnd - d.Available()));
    if (count > 0) std::memcpy(room.data(), enc.data() + (d.Available() - at), count);
    d.Filled(count);
    if (!d.Decode(to, size)) return Outcome::kRejected;
    if (!goOn(d.DecodedTo())) return Outcome::kStopped;
    if (d.DecodedTo() >= to || d.Available() >= encEnd) return Outcome::kDone;
    d.Slide(out);
  }
}

struct Segment {
  std::int64_t start = 0, end = 0;
  std::int64_t from = 0;             // where the guess starts
  std::vector<std::uint8_t> encrypted;  // the file's bytes from `from` to kMaxSearchAhead past `end`
  DecoderState guess;                         // the reading guessed at `start`
  std::unique_ptr<FrequencyDecoder> decoder;  // from there
  std::vector<std::uint8_t> decoded;          // what it handed out
  bool guessIt = true;                        // false: left to the reading before it
  bool guessed = false;                       // the guess reached `start` exactly
  Outcome outcome = Outcome::kDone;
  std::atomic<std::int64_t> progress{0};
  bool done = false;  // under the pool's lock
};

// Guesses the reading at the segment's start, then decodes the segment.
void ReadAhead(Segment& s, const CipherKey& key, std::int64_t size, const std::atomic<bool>& cancel) {
  const auto goOn = [&s, &cancel](std::int64_t at) {
    s.progress.store(at, std::memory_order_relaxed);
    return !cancel.load(std::memory_order_relaxed);
  };
  DecoderState start{0, 0, {}};
  if (!s.guessIt) return;
  if (s.start > 0) {
    FrequencyDecoder guess(key, {s.from, LikeliestShift(key, s.encrypted, s.from), {}}, AllCounters());
    std::vector<std::uint8_t> unused;
    const Outcome o = DecodeStretch(guess, s.encrypted, s.from, s.start, size, unused, goOn);
    if (o == Outcome::kStopped) return void(s.outcome = o);
    if (o == Outcome::kRejected || guess.DecodedTo() != s.start) return;
    start = guess.State();
  }
  s.guessed = true;
  s.guess = start;
  s.decoder = std::make_unique<FrequencyDecoder>(key, start);
  s.decoder->RecordJoins();
  s.outcome = DecodeStretch(*s.decoder, s.encrypted, s.from, s.end, size, s.decoded, goOn);
}

// The segments read ahead, on the workers or on the caller's thread.
class SegmentPool {
 public:
  SegmentPool(const CipherKey& key, std::int64_t size, int workers) : key_(key), size_(size) {
    for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
  }
  ~SegmentPool() {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    cancel_ = true;
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  void Submit(Segment& s) {
    if (threads_.empty()) {
      ReadAhead(s, key_, size_, cancel_);
      s.done = true;
      return;
    }
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(&s);
    }
    wake_.notify_all();
  }
  // Waits for `s`, asking `goOn` now and then; false when it said stop.
  bool Wait(Segment& s, const std::function<bool(std::int64_t)>& goOn) {
    std::unique_lock lock(mutex_);
    while (!s.done) {
      if (wake_.wait_for(lock, std::chrono::milliseconds(50), [&s] { return s.done; })) break;
      lock.unlock();
      const bool go = goOn(s.progress.load(std::memory_order_relaxed));
      lock.lock();
      if (!go) return false;
    }
    return true;
  }
  enum class Waited { kPast, kDone, kStop };
  // Waits until `s` is done or has decoded past `at`.
  Waited WaitPast(Segment& s, std::int64_t at, const std::function<bool(std::int64_t)>& goOn) {
    while (true) {
      {
        std::lock_guard lock(mutex_);
        if (s.done) return Waited::kDone;
      }
      const std::int64_t progress = s.progress.load(std::memory_order_relaxed);
      if (progress > at) return Waited::kPast;
      if (!goOn(progress)) return Waited::kStop;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  void Cancel() { cancel_ = true; }

 private:
  void Work() {
    std::unique_lock lock(mutex_);
    while (true) {
      wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
      if (quit_) return;
      Segment& s = *queue_.front();
      queue_.pop_front();
      lock.unlock();
      ReadAhead(s, key_, size_, cancel_);
      lock.lock();
      s.done = true;
      wake_.notify_all();
    }
  }

  const CipherKey& key_;
  const std::int64_t size_;
  std::atomic<bool> cancel_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Segment*> queue_;
  bool quit_ = false;
  std::vector<std::thread> threads_;
};

// Reads the input into segments, in order, each with the bytes before it
// that its guess reads and those after it that a search may look at.
class SegmentReader {
 public:
  SegmentReader(std::FILE* input, std::int64_t size, const SegmentPlan& plan)
      : input_(input), size_(size), segment_(plan.segmentBytes), guess_(std::min(plan.guessBytes, segment_)) {}

  std::unique_ptr<Segment> Next(std::int64_t start) {
    auto s = std::make_unique<Segment>();
    s->start = start;
    s->end = std::min(size_, start + segment_);
    s->from = std::max<std::int64_t>(0, start - guess_);
    const std::int64_t to = std::min(size_, s->end + kMaxSearchAhead);
    s->encrypted.resize(static_cast<std::size_t>(to - s->from));
    const std::int64_t kept = readTo_ - s->from;  // already read, in tail_
    std::copy(tail_.end() - static_cast<std::ptrdiff_t>(kept), tail_.end(), s->encrypted.begin());
    ReadBlock(input_, s->encrypted.data() + kept, static_cast<std::size_t>(to - readTo_));
    readTo_ = to;
    const auto keep = std::min(s->encrypted.size(), static_cast<std::size_t>(guess_ + kMaxSearchAhead));
    tail_.assign(s->encrypted.end() - static_cast<std::ptrdiff_t>(keep), s->encrypted.end());
    return s;
  }

 private:
  std::FILE* input_;
  const std::int64_t size_;
  const std::int64_t segment_, guess_;  // a guess reads no further back than one segment
  std::int64_t readTo_ = 0;
  std::vector<std::uint8_t> tail_;  // the last bytes read, up to readTo_
};

// What comes out, in file order: weighed at the head, then through the
// choice of the fourth E.
class DecodedOutput {
 public:
  explicit DecodedOutput(std::FILE* output, std::int64_t size)
      : writer_(output, kWriteBlock, size), choice_(writer_, kWriteBlock) {}

  void Put(std::vector<std::uint8_t>& bytes) {
    Weigh(bytes);
    choice_.Put(bytes.data(), bytes.size());
    bytes.clear();
  }
  void Weigh(const std::vector<std::uint8_t>& bytes) {
    const TextModel& model = TextModel::Shared();
    for (std::size_t i = 0; i < bytes.size() && at_ < kHeadWeighed; ++i, ++at_) {
      headCost_ += model.Cost(beforeLast_, last_, bytes[i]);
      beforeLast_ = last_, last_ = bytes[i];
    }
  }
  void Finish() { choice_.Finish(); }
  std::int64_t HeadCost() const { return headCost_; }

 private:
  BlockWriter writer_;
  FourthEChoice choice_;
  std::int64_t at_ = 0;
  std::int64_t headCost_ = 0;
  std::uint8_t beforeLast_ = TextModel::kStartBeforeLast, last_ = TextModel::kStartLast;
};

FrequencyDecryptResult& Stopped(SegmentPool& pool, FrequencyDecryptResult& result) {
  pool.Cancel();
  result.status = DecryptStatus::kStopped;
  return result;
}

}  // namespace

FrequencyDecryptResult DecryptFrequencyBySegments(std::FILE* input, std::FILE* output, const CipherKey& key,
                                                  const Progress& progress, const SegmentPlan& plan,
                                                  SegmentJoins* joins) {
  FrequencyDecryptResult result;
  const std::int64_t size = StreamSize(input);
  if (size < 0) {
    result.status = DecryptStatus::kRejected;
    return result;
  }
  const std::int64_t count = std::max<std::int64_t>(1, (size + plan.segmentBytes - 1) / plan.segmentBytes);
  SegmentReader reader(input, size, plan);
  std::deque<std::unique_ptr<Segment>> ahead;  // outlives the workers that read them
  SegmentPool pool(key, size, count > 1 ? plan.workers : 0);
  DecodedOutput out(output, size);
  // Segments held at once: one being joined, and two per worker, so that
  // the workers go on while the reading so far goes through a segment again.
  const auto inFlight = static_cast<std::size_t>(2 * std::max(1, plan.workers) + 1);
  std::int64_t submitted = 0;
  int readAgainInARow = 0;
  std::unique_ptr<FrequencyDecoder> reading;  // through the file so far
  DecodeTally before;                         // of the decoders before it
  std::vector<std::uint8_t> pending;
  bool ok = true;
  const auto report = [&progress, size](std::int64_t at) { return GoOn(progress, std::min(at, size), size); };
  for (std::int64_t k = 0; k < count && ok; ++k) {
    while (submitted < count && ahead.size() < inFlight) {
      ahead.push_back(reader.Next(submitted * plan.segmentBytes));
      // Guesses that keep failing (a wrong key's, or counters no guess can
      // know) would only take the processor from the reading that goes
      // through their segments again: after two, only every fourth segment
      // is guessed. Which ones are guessed changes no output byte.
      ahead.back()->guessIt = readAgainInARow < 2 || submitted % 4 == 0;
      pool.Submit(*ahead.back());
      // The first segment goes a block ahead alone: a wrong key is mostly
      // refused before that, with nothing else read.
      if (++submitted > 1 || count == 1) continue;
      const SegmentPool::Waited w = pool.WaitPast(*ahead.front(), 0, report);
      if (w == SegmentPool::Waited::kStop) return Stopped(pool, result);
      if (w == SegmentPool::Waited::kDone && ahead.front()->outcome != Outcome::kDone) break;
    }
    Segment& s = *ahead.front();
    if (!pool.Wait(s, report) || s.outcome == Outcome::kStopped) return Stopped(pool, result);
    const auto goOn = [&](std::int64_t at) {
      out.Put(pending);
      return report(at);
    };
    const FrequencyDecoder::JoinPoint* join = nullptr;
    if (k == 0) {
      join = &s.decoder->Joins().front();
    } else if (s.guessed && s.outcome == Outcome::kDone) {
      // The reading so far goes on to the first join point of the segment's
      // that it reaches exactly, in the same state and with a drop count
      // that the segment's checks on the way let through.
      for (const FrequencyDecoder::JoinPoint& j : s.decoder->Joins()) {
        if (!j.clean || j.state.at < reading->DecodedTo()) continue;
        const Outcome o = DecodeStretch(*reading, s.encrypted, s.from, j.state.at, size, pending, goOn);
        if (o != Outcome::kDone) {
          ok = false;
          if (o == Outcome::kStopped) return Stopped(pool, result);
          break;
        }
        const std::int64_t drops = before.dropPoints + reading->Tally().dropPoints;
        if (reading->State() == j.state && drops - j.tally.dropPoints < j.refusingDropsBefore) {
          join = &j;
          break;
        }
      }
    }
    if (joins && k > 0) ++(join ? joins->stood : joins->readAgain);
    if (k > 0) readAgainInARow = join ? 0 : readAgainInARow + 1;
    if (join) {
      if (reading) {
        reading->Flush(pending);
        out.Put(pending);
        before += reading->Tally();
        before -= join->tally;
      }
      // What the segment's reading handed out before the join point, the
      // reading before it read.
      const auto skip = std::min(s.decoded.size(), static_cast<std::size_t>(join->state.at - s.start));
      s.decoded.erase(s.decoded.begin(), s.decoded.begin() + static_cast<std::ptrdiff_t>(skip));
      out.Put(s.decoded);
      s.decoder->SkipTo(join->state.at);
      reading = std::move(s.decoder);
      reading->Continue(before.dropPoints);
      ok = s.outcome == Outcome::kDone;
    } else if (ok) {
      // The reading so far goes on through this segment.
      const Outcome o = DecodeStretch(*reading, s.encrypted, s.from, s.end, size, pending, goOn);
      if (o == Outcome::kStopped) return Stopped(pool, result);
      out.Put(pending);
      ok = o == Outcome::kDone;
    }
    if (ok && !report(reading->DecodedTo())) return Stopped(pool, result);
    ahead.pop_front();
  }
  pool.Cancel();
  before += reading->Tally();
  // With a wrong key the searches run everywhere, need many drops and read
  // unlikely characters; real text, even with many accents, neither.
  if (ok && TooManyDropPlaces(before.dropPoints, reading->DecodedTo(), kDropsAheadAtEnd)) ok = false;
  const bool noise = ReadsAsNoise(before.searchedPenalty, before.searchedSpan);
  if (noise) ok = false;
  reading->Flush(pending);
  if (ok)
    out.Put(pending), out.Finish();
  else
    out.Weigh(pending);
  result.dropPoints = before.dropPoints;
  result.counterFixes = before.counterFixes;
  result.headBytes = std::min(reading->DecodedTo(), kHeadWeighed);
  result.headCost = out.HeadCost();
  // Refused where drops had to be found, though what was read is text: the
  // key is most likely right, and the text too far from what the method
  // codes. A wrong key reads noise.
  const bool text = !noise && before.dropPoints > 0 && PlausibleFrequencyText(result);
  result.status = ok ? DecryptStatus::kOk : text ? DecryptStatus::kTooManyDrops : DecryptStatus::kRejected;
  return result;
}

FrequencyDecryptResult DecryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress) {
  return DecryptFrequencyBySegments(input, output, key, progress, SegmentPlan{});
}

}  // namespace qor

#include "cipher/block_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "cipher/stream_io.h"

namespace qor {

namespace {

// Slots beyond the workers' own: the reading can run this many blocks ahead
// of the writing.
constexpr int kSpareSlots = 2;

struct Slot {
  std::vector<std::uint8_t> in, out;
  Block block;
  bool free = true;    // delivered, or never used
  bool ready = false;  // worked out, not yet delivered
};

class Ring {
 public:
  Ring(const BlockStages& stages, std::vector<Slot>& slots, const ByteStates& start)
      : stages_(stages), slots_(slots), running_(start) {}

  // A worker: takes the next block while the reading is its turn, counts
  // it, takes its states when the block before has moved them on, works it
  // out on its own and marks it ready.
  void Work() {
    for (;;) {
      Slot* slot = nullptr;
      std::size_t index = 0;
      {
        std::lock_guard reading(readTurn_);
        {
          std::unique_lock lock(mutex_);
          slot = &slots_[next_ % slots_.size()];
          changed_.wait(lock, [&] { return slot->free || ended_; });
          if (ended_) return;
          slot->free = false;
          index = next_++;
        }
        stages_.read(slot->block);
        if (slot->block.last) {
          std::lock_guard lock(mutex_);
          ended_ = true;  // the others stop taking blocks
          changed_.notify_all();
        }
      }
      stages_.count(slot->block);
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return advanced_ == index; });
        slot->block.state = running_;
        stages_.advance(running_, slot->block);
        ++advanced_;
        changed_.notify_all();
      }
      stages_.work(slot->block);
      std::lock_guard lock(mutex_);
      slot->ready = true;
      changed_.notify_all();
    }
  }

  // The caller: delivers the blocks in order until the last one or a false
  // answer, then tells the workers to stop.
  void Deliver() {
    for (std::size_t k = 0;; ++k) {
      Slot& slot = slots_[k % slots_.size()];
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return slot.ready; });
      }
      const bool goOn = stages_.deliver(slot.block);
      std::lock_guard lock(mutex_);
      slot.ready = false;
      slot.free = true;
      const bool end = !goOn || slot.block.last;
      if (end) ended_ = true;
      changed_.notify_all();
      if (end) return;
    }
  }

 private:
  const BlockStages& stages_;
  std::vector<Slot>& slots_;
  ByteStates running_;  // the states at the start of block advanced_
  std::mutex readTurn_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;      // the next block to read
  std::size_t advanced_ = 0;  // the next block to take its states
  bool ended_ = false;    // no more blocks are to be taken
};

std::vector<Slot> MakeSlots(int count, std::size_t inSize, std::size_t outSize) {
  std::vector<Slot> slots(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < slots.size(); ++i) {
    Slot& s = slots[i];
    s.block.slot = static_cast<int>(i);
    s.in.resize(inSize);
    s.out.resize(outSize);
    s.block.in = s.in.data();
    s.block.out = s.out.data();
  }
  return slots;
}

}  // namespace

int BlockSlots(const BlockPlan& plan) { return std::max(plan.workers, 0) + kSpareSlots; }

void RunBlocks(const BlockPlan& plan, std::size_t inSize, std::size_t outSize, std::int64_t total,
               const ByteStates& start, const BlockStages& stages) {
  const bool manyBlocks = total > static_cast<std::int64_t>(plan.block);
  if (manyBlocks && plan.workers > 0) {
    std::vector<Slot> slots = MakeSlots(BlockSlots(plan), inSize, outSize);
    Ring ring(stages, slots, start);
    std::vector<std::thread> threads;
    try {
      for (int i = 0; i < plan.workers; ++i) threads.emplace_back([&ring] { ring.Work(); });
    } catch (const std::system_error&) {
      // Fewer threads than asked for: those that started do the work.
    }
    if (!threads.empty()) {
      ring.Deliver();
      for (std::thread& t : threads) t.join();
      return;
    }
  }
  // One thread does everything, a block at a time.
  std::vector<Slot> slots = MakeSlots(1, inSize, outSize);
  Block& block = slots[0].block;
  ByteStates running = start;
  do {
    stages.read(block);
    stages.count(block);
    block.state = running;
    stages.advance(running, block);
    stages.work(block);
  } while (stages.deliver(block) && !block.last);
}

void ReadNext(std::FILE* input, std::size_t blockSize, std::int64_t size, std::int64_t& read, Block& block) {
  block.count = static_cast<std::size_t>(std::clamp<std::int64_t>(size - read, 0, static_cast<std::int64_t>(blockSize)));
  ReadBlock(input, block.in, block.count);
  read += static_cast<std::int64_t>(block.count);
  block.last = read >= size;
}

std::array<std::uint32_t, 256> CountBytes(const std::uint8_t* bytes, std::size_t count) {
  // Four tables in turn, so that a run of equal bytes does not wait on the
  // increment before; eight bytes a step, to spend fewer instructions on
  // the loop.
  std::array<std::array<std::uint32_t, 256>, 4> part{};
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    ++part[0][bytes[i]];
    ++part[1][bytes[i + 1]];
    ++part[2][bytes[i + 2]];
    ++part[3][bytes[i + 3]];
    ++part[0][bytes[i + 4]];
    ++part[1][bytes[i + 5]];
    ++part[2][bytes[i + 6]];
    ++part[3][bytes[i + 7]];
  }
  for (; i < count; ++i) ++part[i % 4][bytes[i]];
  std::array<std::uint32_t, 256> total{};
  for (int b = 0; b < 256; ++b) total[b] = part[0][b] + part[1][b] + part[2][b] + part[3][b];
  return total;
}

}  // namespace qor

// Two lanes per block. A method's state at any input offset follows from
// how often each byte value occurred before it, so the second part of a
// block can start from the state the first part leaves without waiting for
// it: a helper thread counts the first part's byte values, works out that
// state and encrypts the second part while the caller's thread encrypts the
// first. The output never depends on whether the helper ran.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace qor {

// A lane's length is a whole number of these bytes, so that every lane
// starts at the same place in each block loop's key pattern: 420 frequency
// positions, 2240 Fibonacci input bytes (3360 output bytes), and 3360
// encrypted bytes.
inline constexpr std::size_t kLaneUnit = 6720;

// How a block loop cuts its input: blocks of two lanes of `lane` bytes.
// A quarter megabyte a lane keeps the thread hand-offs and the reads and
// writes per block few, while a lane's input and output still fit in one
// core's second-level cache.
struct BlockPlan {
  std::size_t lane = 39 * kLaneUnit;  // 262080 bytes
  bool twoThreads = true;             // false: one thread does both lanes
};

// The caller's thread and, when there is one, a helper thread that runs
// the second lane of each block.
class LanePair {
 public:
  // Starts the helper when the plan allows it, the machine has a second
  // core and `input` bytes fill more than one lane; otherwise, or when no
  // thread can be started, the caller does everything.
  LanePair(const BlockPlan& plan, std::int64_t input);
  ~LanePair();
  LanePair(const LanePair&) = delete;
  LanePair& operator=(const LanePair&) = delete;

  bool Parallel() const { return worker_ != nullptr; }

  // Runs `second` on the helper and `first` on this thread; returns once
  // both are done. Only when Parallel().
  template <class First, class Second>
  void Run(First&& first, Second&& second) {
    Start([](void* f) { (*static_cast<Second*>(f))(); }, &second);
    first();
    Wait();
  }

 private:
  struct Worker;
  void Start(void (*task)(void*), void* context);
  void Wait();
  std::unique_ptr<Worker> worker_;
};

// How often each byte value occurs in `count` bytes.
std::array<std::uint32_t, 256> CountBytes(const std::uint8_t* bytes, std::size_t count);

// A block's first lane: its first min(count, lane) bytes.
inline std::size_t FirstLane(std::size_t count, const BlockPlan& plan) { return count < plan.lane ? count : plan.lane; }

}  // namespace qor

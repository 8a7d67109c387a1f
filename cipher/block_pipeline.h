// Blocks in flight. A method's state at any input offset follows from how
// often each byte value occurred before it, so whole blocks can be worked
// out on different threads: each block is read in order, its byte values
// are counted by the worker that took it, the running state is moved on
// over those counts in order (a few hundred steps a block), and the
// block's real work starts from the state it was given. The caller's thread
// writes the blocks in order. A ring of a few blocks bounds memory; the
// output never depends on how many workers ran or when.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>

namespace qor {

// A block's length is a whole number of these bytes, so that every block
// starts at the same place in each block loop's key pattern: 420 frequency
// positions, 2240 Fibonacci input bytes (3360 output bytes), and 3360
// encrypted bytes.
inline constexpr std::size_t kLaneUnit = 6720;

// How a block loop cuts its input and how many threads work on it.
// A quarter megabyte keeps the hand-offs and the reads and writes per block
// few, while a block's input and output still fit in one core's
// second-level cache; two workers, one a core, with the caller's thread
// writing in between.
struct BlockPlan {
  std::size_t block = 39 * kLaneUnit;  // 262080 bytes
  int workers = 2;                     // 0: everything on the caller's thread
};

// Each byte value's state in a method's machine.
using ByteStates = std::array<std::uint32_t, 256>;

// One block on its way through: its input, the states at its start, and
// what its work made of it.
struct Block {
  std::uint8_t* in = nullptr;  // the input buffer, filled by the read
  std::size_t count = 0;       // input bytes in it
  bool last = false;           // no block follows
  ByteStates counts{};         // how often each byte value occurs in it, set by the count
  ByteStates state{};          // the states at the block's start; the work may move them on
  std::uint8_t* out = nullptr;  // the output buffer
  std::size_t written = 0;     // output bytes, set by the work
  bool refused = false;        // the work found the input bad: this block ends the run
  std::size_t refusedAt = 0;   // where, in input bytes from the block's start
  // Which of the ring's buffers the block is in, below BlockSlots(plan): a
  // method keeps what its stages hand on beside a block in one entry a slot.
  int slot = 0;
};

// The stages a method gives the pipeline.
struct BlockStages {
  // In order, one block at a time: reads the next block into block.in and
  // sets count and last.
  std::function<void(Block& block)> read;
  // On any thread: sets block.counts (and may prepare the input for the
  // work).
  std::function<void(Block& block)> count;
  // In order, short: moves `running` on over block.counts.
  std::function<void(ByteStates& running, const Block& block)> advance;
  // On any thread, blocks in any order: the block's output from its
  // input and its starting states.
  std::function<void(Block& block)> work;
  // In order, on the caller's thread: writes the block and reports
  // progress; false ends the run after this block.
  std::function<bool(const Block& block)> deliver;
};

// How many blocks can be on their way at once.
int BlockSlots(const BlockPlan& plan);

// Runs the stages over the whole input, from the states `start`. Buffers
// of `inSize` and `outSize` bytes per block; `total` input bytes are
// expected (workers are started only for more than one block). Returns once
// the last block, or the one on which deliver said false, has been
// delivered; blocks after that one may have been read and worked out, but
// are never delivered.
void RunBlocks(const BlockPlan& plan, std::size_t inSize, std::size_t outSize, std::int64_t total,
               const ByteStates& start, const BlockStages& stages);

// A read stage's reading: the next at most `blockSize` bytes of an input of
// `size` bytes, of which `read` have been read so far (ReadBlock's
// filling if the stream ends early); sets count and last, moves `read` on.
void ReadNext(std::FILE* input, std::size_t blockSize, std::int64_t size, std::int64_t& read, Block& block);

// How often each byte value occurs in `count` bytes.
std::array<std::uint32_t, 256> CountBytes(const std::uint8_t* bytes, std::size_t count);

}  // namespace qor

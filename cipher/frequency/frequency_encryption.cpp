// Encryption: each kept byte's code, stepped by its cycle and mixed with
// the key by its input position, a block at a time, the blocks worked out
// on the pipeline's workers.
#include <algorithm>
#include <bit>
#include <cstring>
#include <cstdio>
#include <vector>

#include "cipher/block_pipeline.h"
#include "cipher/frequency/code_table.h"
#include "cipher/frequency/drop_count.h"
#include "cipher/frequency/frequency.h"
#include "cipher/stream_io.h"

namespace qor {

namespace {

// Every byte value's cycle of codes as one state machine: a state is one
// occurrence's code and leads to the state of the next occurrence, so a
// byte costs one load of its state and one of that state's entry.
struct CodeMachine {
  // The next state in bits 0-15 and the code from bit 16 on: the low half
  // is stored as the byte's state, and one shift leaves the code. A dropped
  // byte has one state.
  std::vector<std::uint32_t> entries;
  std::array<std::uint32_t, 256> start{};   // each byte's first code
  std::array<std::uint32_t, 256> length{};  // and its cycle length

  CodeMachine() {
    for (int b = 0; b < 256; ++b) {
      const FrequencyCode& c = FrequencyCodeTable[b];
      start[b] = static_cast<std::uint32_t>(entries.size());
      length[b] = c.Dropped() ? 1 : c.cycle;
      for (std::uint32_t k = 0; k < length[b]; ++k) {
        const std::uint32_t next = k + 1 < length[b] ? start[b] + k + 1 : start[b];
        entries.push_back(c.Dropped() ? next : next | std::uint32_t{c.first + k} << 16);
      }
    }
  }
};

const CodeMachine& TheCodeMachine() {
  static const CodeMachine machine;
  return machine;
}

using States = ByteStates;

// One byte, in place: its state's code; its state moves on.
inline void CodeByte(std::uint8_t& byte, const std::uint32_t* entries, std::uint16_t* state) {
  const std::uint32_t e = entries[state[byte]];
  state[byte] = static_cast<std::uint16_t>(e);
  byte = static_cast<std::uint8_t>(e >> 16);
}

// Sixteen bytes added at once, each modulo 256: the compiler turns these
// into vector instructions where the target has them.
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

// Adds the key's amounts to `count` codes that start at a multiple of
// kMixCycle, sixteen at a time.
void MixCodes(std::uint8_t* codes, std::size_t count, const std::array<std::uint8_t, kMixCycle>& mix) {
  for (std::size_t base = 0; base < count; base += kMixCycle) {
    std::uint8_t* const p = codes + base;
    const std::size_t n = std::min<std::size_t>(count - base, kMixCycle);
    std::size_t j = 0;
    for (; j + sizeof(Bytes16) <= n; j += sizeof(Bytes16)) {
      Bytes16 c, a;
      std::memcpy(&c, p + j, sizeof c);
      std::memcpy(&a, mix.data() + j, sizeof a);
      c += a;
      std::memcpy(p + j, &c, sizeof c);
    }
    for (; j < n; ++j) p[j] = static_cast<std::uint8_t>(p[j] + mix[j]);
  }
}

// Turns `count` input bytes that start at a multiple of kMixCycle into
// their codes, mixed, dropped bytes too (LeaveOutDropped takes those out
// afterwards, which costs less than a written count kept byte by byte).
// Eight bytes a step, to spend fewer instructions on the loop; the mixing
// after, sixteen bytes at once.
void CodeBlock(std::uint8_t* bytes, std::size_t count, States& state, const std::array<std::uint8_t, kMixCycle>& mix) {
  // The states as 16 bits (318 of them in all) and plain pointers: a
  // byte store may alias anything.
  std::array<std::uint16_t, 256> states;
  for (int b = 0; b < 256; ++b) states[b] = static_cast<std::uint16_t>(state[b]);
  const std::uint32_t* const entries = TheCodeMachine().entries.data();
  std::uint16_t* const current = states.data();
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint8_t* const p = bytes + i;
    CodeByte(p[0], entries, current);
    CodeByte(p[1], entries, current);
    CodeByte(p[2], entries, current);
    CodeByte(p[3], entries, current);
    CodeByte(p[4], entries, current);
    CodeByte(p[5], entries, current);
    CodeByte(p[6], entries, current);
    CodeByte(p[7], entries, current);
  }
  for (; i < count; ++i) CodeByte(bytes[i], entries, current);
  for (int b = 0; b < 256; ++b) state[b] = states[b];
  MixCodes(bytes, count, mix);
}

// Room past a block's codes and its output for LeaveOutDropped's whole
// sixteens and sixty-fours.
constexpr std::size_t kCopySlack = 64;

// At most 64 bytes, copied sixteen at a time: up to 15 bytes past them are
// read and written too.
inline void CopyShort(std::uint8_t* to, const std::uint8_t* from, std::size_t n) {
  for (std::size_t k = 0; k < n; k += 16) std::memcpy(to + k, from + k, 16);
}

// Copies `count` codes to out but those that `marks` (SummarizeDrops')
// has a bit for; returns how many it copied. Dropped bytes are few in
// text, so most sixty-fours are copied whole.
std::size_t LeaveOutDropped(const std::uint8_t* codes, std::size_t count, const std::uint64_t* marks,
                            std::uint8_t* out) {
  std::uint8_t* o = out;
  for (std::size_t base = 0; base < count; base += 64) {
    const std::uint8_t* const c = codes + base;
    const std::size_t n = std::min<std::size_t>(count - base, 64);
    std::uint64_t m = marks[base / 64];
    if (m == 0) {
      std::memcpy(o, c, 64);
      o += n;
      continue;
    }
    std::size_t from = 0;
    for (; m != 0; m &= m - 1) {
      const auto at = static_cast<std::size_t>(std::countr_zero(m));
      CopyShort(o, c + from, at - from);
      o += at - from;
      from = at + 1;
    }
    CopyShort(o, c + from, n - from);
    o += n - from;
  }
  return static_cast<std::size_t>(o - out);
}

// Every byte's state moved on by its number of occurrences, as
// EncryptBlock would move it.
void Advance(States& state, const ByteStates& occurrences) {
  const CodeMachine& m = TheCodeMachine();
  for (int b = 0; b < 256; ++b) state[b] = m.start[b] + (state[b] - m.start[b] + occurrences[b]) % m.length[b];
}

}  // namespace

FrequencyEncryptResult EncryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress) {
  return EncryptFrequency(input, output, key, progress, BlockPlan{});
}

FrequencyEncryptResult EncryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress, const BlockPlan& plan) {
  DropCount drops(key);
  const std::int64_t size = StreamSize(input);
  if (size <= 0) return drops.Result();

  const auto mix = StreamMixPattern(key);
  std::int64_t read = 0, delivered = 0;
  BlockStages stages;
  stages.read = [&](Block& block) { ReadNext(input, plan.block, size, read, block); };
  // Each block's drop runs are found by its worker; only their joining
  // stays in input order.
  // They also mark the dropped bytes, which the work leaves out.
  const auto slots = static_cast<std::size_t>(BlockSlots(plan));
  std::vector<DropSummary> summaries(slots);
  std::vector<std::vector<std::uint64_t>> marks(slots, std::vector<std::uint64_t>(plan.block / 64 + 1));
  const int period = drops.Period();
  stages.count = [&summaries, &marks, period](Block& block) {
    block.counts = CountBytes(block.in, block.count);
    const auto slot = static_cast<std::size_t>(block.slot);
    summaries[slot] = SummarizeDrops(block.in, block.count, period, marks[slot].data());
  };
  stages.advance = [](States& running, const Block& block) { Advance(running, block.counts); };
  stages.work = [&](Block& block) {
    CodeBlock(block.in, block.count, block.state, mix);
    block.written = LeaveOutDropped(block.in, block.count, marks[static_cast<std::size_t>(block.slot)].data(), block.out);
  };
  stages.deliver = [&](const Block& block) {
    drops.Join(summaries[static_cast<std::size_t>(block.slot)], block.count);
    std::fwrite(block.out, 1, block.written, output);
    delivered += static_cast<std::int64_t>(block.count);
    return GoOn(progress, delivered, size);
  };
  RunBlocks(plan, plan.block + kCopySlack, plan.block + kCopySlack, size, TheCodeMachine().start, stages);
  return drops.Result();
}

}  // namespace qor

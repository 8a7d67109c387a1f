// Encryption: each kept byte's code, stepped by its cycle and mixed with
// the key by its input position, a block at a time, the blocks worked out
// on the pipeline's workers.
#include <algorithm>
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
  std::array<std::uint8_t, 256> kept{};     // 1 for a byte that is written
  std::array<std::uint32_t, 256> start{};   // each byte's first code
  std::array<std::uint32_t, 256> length{};  // and its cycle length

  CodeMachine() {
    for (int b = 0; b < 256; ++b) {
      const FrequencyCode& c = FrequencyCodeTable[b];
      start[b] = static_cast<std::uint32_t>(entries.size());
      length[b] = c.Dropped() ? 1 : c.cycle;
      kept[b] = c.Dropped() ? 0 : 1;
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

// One byte: its state's code, mixed, is stored at out[written] and counted
// if the byte is kept; its state moves on.
inline void CodeByte(std::uint8_t b, std::uint8_t amount, const std::uint32_t* entries, const std::uint8_t* kept,
                     std::uint16_t* state, std::uint8_t* out, std::size_t& written) {
  const std::uint32_t e = entries[state[b]];
  state[b] = static_cast<std::uint16_t>(e);
  out[written] = static_cast<std::uint8_t>((e >> 16) + amount);
  written += kept[b];
}

// Codes and mixes `count` input bytes that start at a multiple of
// kMixCycle; returns how many were written. Four bytes a step, the
// cycle being a multiple of four, to spend fewer instructions on the loop.
std::size_t EncryptBlock(const std::uint8_t* in, std::size_t count, std::uint8_t* out, States& state,
                         const std::array<std::uint8_t, kMixCycle>& mix) {
  static_assert(kMixCycle % 4 == 0);
  // The states as 16 bits (318 of them in all) and plain pointers: a
  // byte store may alias anything.
  std::array<std::uint16_t, 256> states;
  for (int b = 0; b < 256; ++b) states[b] = static_cast<std::uint16_t>(state[b]);
  const CodeMachine& m = TheCodeMachine();
  const std::uint32_t* const entries = m.entries.data();
  const std::uint8_t* const kept = m.kept.data();
  std::uint16_t* const current = states.data();
  const std::uint8_t* const amounts = mix.data();
  std::size_t written = 0;
  for (std::size_t base = 0; base < count; base += kMixCycle) {
    const std::uint8_t* const p = in + base;
    const std::size_t n = std::min<std::size_t>(count - base, kMixCycle);
    std::size_t j = 0;
    for (; j + 4 <= n; j += 4) {
      CodeByte(p[j], amounts[j], entries, kept, current, out, written);
      CodeByte(p[j + 1], amounts[j + 1], entries, kept, current, out, written);
      CodeByte(p[j + 2], amounts[j + 2], entries, kept, current, out, written);
      CodeByte(p[j + 3], amounts[j + 3], entries, kept, current, out, written);
    }
    for (; j < n; ++j) CodeByte(p[j], amounts[j], entries, kept, current, out, written);
  }
  for (int b = 0; b < 256; ++b) state[b] = states[b];
  return written;
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
  std::vector<DropSummary> summaries(static_cast<std::size_t>(BlockSlots(plan)));
  const int period = drops.Period();
  stages.count = [&summaries, period](Block& block) {
    block.counts = CountBytes(block.in, block.count);
    summaries[static_cast<std::size_t>(block.slot)] = SummarizeDrops(block.in, block.count, period);
  };
  stages.advance = [](States& running, const Block& block) { Advance(running, block.counts); };
  stages.work = [&](Block& block) { block.written = EncryptBlock(block.in, block.count, block.out, block.state, mix); };
  stages.deliver = [&](const Block& block) {
    drops.Join(summaries[static_cast<std::size_t>(block.slot)], block.count);
    std::fwrite(block.out, 1, block.written, output);
    delivered += static_cast<std::int64_t>(block.count);
    return GoOn(progress, delivered, size);
  };
  RunBlocks(plan, plan.block, plan.block, size, TheCodeMachine().start, stages);
  return drops.Result();
}

}  // namespace qor

// Encryption: each kept byte's code, stepped by its cycle and mixed with
// the key by its input position, a block at a time, the two lanes of a
// block on two threads when the machine has them.
#include <algorithm>
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
  // The code in bits 0-7, whether it is written in bit 8 and the next
  // state from bit 16 on; a dropped byte has one state, which is not written.
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
        entries.push_back(c.Dropped() ? next << 16 : (c.first + k) | 1u << 8 | next << 16);
      }
    }
  }
};

const CodeMachine& TheCodeMachine() {
  static const CodeMachine machine;
  return machine;
}

// Each byte value's current state.
using States = std::array<std::uint32_t, 256>;

// Codes and mixes `count` input bytes that start at a multiple of
// kMixCycle; returns how many were written.
std::size_t EncryptLane(const std::uint8_t* in, std::size_t count, std::uint8_t* out, States& state,
                        const std::array<std::uint8_t, kMixCycle>& mix) {
  const std::uint32_t* const entries = TheCodeMachine().entries.data();
  std::size_t written = 0;
  for (std::size_t base = 0; base < count; base += kMixCycle) {
    const std::size_t end = std::min(count, base + kMixCycle);
    for (std::size_t i = base; i < end; ++i) {
      const std::uint8_t b = in[i];
      const std::uint32_t e = entries[state[b]];
      state[b] = e >> 16;
      out[written] = static_cast<std::uint8_t>(e + mix[i - base]);
      written += e >> 8 & 1;
    }
  }
  return written;
}

// Moves the states on over `count` input bytes as EncryptLane would, from
// their byte counts alone; returns how many of the bytes are kept.
std::size_t SkipLane(const std::uint8_t* in, std::size_t count, States& state) {
  const CodeMachine& m = TheCodeMachine();
  const auto occurrences = CountBytes(in, count);
  std::size_t kept = 0;
  for (int b = 0; b < 256; ++b) {
    state[b] = m.start[b] + (state[b] - m.start[b] + occurrences[b]) % m.length[b];
    kept += (m.entries[m.start[b]] >> 8 & 1) * occurrences[b];
  }
  return kept;
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
  States state = TheCodeMachine().start;
  const std::size_t block = 2 * plan.lane;
  std::vector<std::uint8_t> in(block);
  BlockWriter writer(output, block, size);
  LanePair lanes(plan, size);

  for (std::int64_t done = 0; done < size;) {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(block, size - done));
    ReadBlock(input, in.data(), count);
    drops.Add(in.data(), count);
    std::uint8_t* const out = writer.Buffer();
    const std::size_t first = FirstLane(count, plan);
    std::size_t written = 0;
    if (lanes.Parallel() && first < count) {
      // The second lane starts where the first one's kept bytes end, with
      // the states the first one leaves.
      States second = state;
      std::size_t writtenSecond = 0;
      lanes.Run([&] { written = EncryptLane(in.data(), first, out, state, mix); },
                [&] {
                  const std::size_t kept = SkipLane(in.data(), first, second);
                  writtenSecond = EncryptLane(in.data() + first, count - first, out + kept, second, mix);
                });
      state = second;
      written += writtenSecond;
    } else {
      written = EncryptLane(in.data(), count, out, state, mix);
    }
    writer.Write(written);
    done += static_cast<std::int64_t>(count);
    if (!GoOn(progress, done, size)) break;
  }
  return drops.Result();
}

}  // namespace qor

// Encryption: each kept byte's code, stepped by its counter and mixed with
// the key by its input position, a block at a time, the two lanes of a
// block on two threads when the machine has them.
#include <algorithm>
#include <vector>

#include "cipher/block_pipeline.h"
#include "cipher/frequency/code_table.h"
#include "cipher/frequency/frequency.h"
#include "cipher/stream_io.h"

namespace qor {

namespace {

// The table as the block loop reads it, one word per byte value: the first
// code in bits 0-7, the cycle length in bits 8-15 (1 for a dropped byte, so
// that its counter stays 0) and whether it is written in bit 16.
std::array<std::uint32_t, 256> PackedTable() {
  std::array<std::uint32_t, 256> packed{};
  for (int b = 0; b < 256; ++b) {
    const FrequencyCode& c = FrequencyCodeTable[b];
    packed[b] = c.Dropped() ? 1u << 8 : c.first | std::uint32_t{c.cycle} << 8 | 1u << 16;
  }
  return packed;
}

const std::array<std::uint32_t, 256>& Table() {
  static const std::array<std::uint32_t, 256> table = PackedTable();
  return table;
}

// The counters live in words of their own: the next value is worked out
// from the counter alone, so a run of equal bytes waits on no table load.
using Counters = std::array<std::uint32_t, 256>;

// Codes and mixes `count` input bytes that start at a multiple of
// kMixCycle; returns how many were written.
std::size_t EncryptLane(const std::uint8_t* in, std::size_t count, std::uint8_t* out, Counters& counter,
                        const std::array<std::uint8_t, kMixCycle>& mix) {
  const auto& table = Table();
  std::size_t written = 0;
  for (std::size_t base = 0; base < count; base += kMixCycle) {
    const std::size_t end = std::min(count, base + kMixCycle);
    for (std::size_t i = base; i < end; ++i) {
      const std::uint8_t b = in[i];
      const std::uint32_t t = table[b];
      const std::uint32_t k = counter[b];
      const std::uint32_t n = k + 1;
      counter[b] = n == (t >> 8 & 0xFF) ? 0 : n;
      out[written] = static_cast<std::uint8_t>(t + k + mix[i - base]);
      written += t >> 16;
    }
  }
  return written;
}

// Moves the counters on over `count` input bytes as EncryptLane would,
// from their byte counts alone; returns how many of the bytes are kept.
std::size_t SkipLane(const std::uint8_t* in, std::size_t count, Counters& counter) {
  const auto& table = Table();
  const auto occurrences = CountBytes(in, count);
  std::size_t kept = 0;
  for (int b = 0; b < 256; ++b) {
    counter[b] = (counter[b] + occurrences[b]) % (table[b] >> 8 & 0xFF);
    kept += (table[b] >> 16) * occurrences[b];
  }
  return kept;
}

}  // namespace

void EncryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress) {
  EncryptFrequency(input, output, key, progress, BlockPlan{});
}

void EncryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress, const BlockPlan& plan) {
  const std::int64_t size = StreamSize(input);
  if (size <= 0) return;

  const auto mix = StreamMixPattern(key);
  Counters counter{};
  const std::size_t block = 2 * plan.lane;
  std::vector<std::uint8_t> in(block);
  BlockWriter writer(output, block, size);
  LanePair lanes(plan, size);

  for (std::int64_t done = 0; done < size;) {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(block, size - done));
    ReadBlock(input, in.data(), count);
    std::uint8_t* const out = writer.Buffer();
    const std::size_t first = FirstLane(count, plan);
    std::size_t written = 0;
    if (lanes.Parallel() && first < count) {
      // The second lane starts where the first one's kept bytes end, with
      // the counters the first one leaves.
      Counters second = counter;
      std::size_t writtenSecond = 0;
      lanes.Run([&] { written = EncryptLane(in.data(), first, out, counter, mix); },
                [&] {
                  const std::size_t kept = SkipLane(in.data(), first, second);
                  writtenSecond = EncryptLane(in.data() + first, count - first, out + kept, second, mix);
                });
      counter = second;
      written += writtenSecond;
    } else {
      written = EncryptLane(in.data(), count, out, counter, mix);
    }
    writer.Write(written);
    done += static_cast<std::int64_t>(count);
    if (!GoOn(progress, done, size)) return;
  }
}

}  // namespace qor

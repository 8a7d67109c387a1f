// Encryption: each kept byte's code, stepped by its counter and mixed with
// the key by its input position, a block at a time.
#include "cipher/frequency/frequency.h"

#include <algorithm>
#include <vector>

#include "cipher/frequency/code_table.h"
#include "cipher/stream_io.h"

namespace qor {

namespace {

// Input is taken in blocks that are a whole number of mixing cycles, so that
// every block starts at the same place in the key's pattern; 65520 bytes,
// near 64 KiB: the per-block costs vanish and both buffers stay in cache.
constexpr std::size_t kBlock = kMixCycle * 156;

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

}  // namespace

void EncryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress) {
  const std::int64_t size = StreamSize(input);
  if (size <= 0) return;

  static const std::array<std::uint32_t, 256> table = PackedTable();
  const auto mix = StreamMixPattern(key);
  // The counters live in words of their own: the next value is worked out
  // from the counter alone, so a run of equal bytes waits on no table load.
  std::array<std::uint32_t, 256> counter{};
  std::vector<std::uint8_t> in(kBlock);
  BlockWriter writer(output, kBlock, size);

  for (std::int64_t done = 0; done < size;) {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(kBlock, size - done));
    ReadBlock(input, in.data(), count);
    std::uint8_t* const out = writer.Buffer();
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
    writer.Write(written);
    done += static_cast<std::int64_t>(count);
    if (!GoOn(progress, done, size)) return;
  }
}

}  // namespace qor

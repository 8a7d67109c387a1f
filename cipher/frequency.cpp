#include "cipher/frequency.h"

#include <algorithm>
#include <vector>

namespace qor {

namespace {

constexpr std::array<FrequencyCode, 256> BuildFrequencyCodeTable() {
  std::array<FrequencyCode, 256> t{};  // every byte dropped unless set below
  auto set = [&t](int byte, int first, int cycle) {
    t[byte] = {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(cycle)};
  };
  // Letters: byte, first code, cycle length. Uppercase codes 0..53, then
  // lowercase 54..109; Ñ and ñ sit between N and O.
  struct Letter { int upper, upperFirst, upperCycle, lower, lowerFirst, lowerCycle; };
  constexpr Letter letters[] = {
      {'A', 0, 4, 'a', 54, 4},   {'B', 4, 1, 'b', 58, 1},   {'C', 5, 3, 'c', 59, 3},
      {'D', 8, 3, 'd', 62, 4},   {'E', 11, 4, 'e', 66, 4},  {'F', 14, 1, 'f', 70, 1},
      {'G', 15, 1, 'g', 71, 1},  {'H', 16, 1, 'h', 72, 1},  {'I', 17, 3, 'i', 73, 3},
      {'J', 20, 1, 'j', 76, 1},  {'K', 21, 1, 'k', 77, 1},  {'L', 22, 3, 'l', 78, 3},
      {'M', 25, 2, 'm', 81, 2},  {'N', 27, 3, 'n', 83, 3},  {0xD1, 30, 1, 0xF1, 86, 1},
      {'O', 31, 3, 'o', 87, 3},  {'P', 34, 2, 'p', 90, 2},  {'Q', 36, 1, 'q', 92, 1},
      {'R', 37, 3, 'r', 93, 4},  {'S', 40, 3, 's', 97, 3},  {'T', 43, 3, 't', 100, 3},
      {'U', 46, 3, 'u', 103, 2}, {'V', 49, 1, 'v', 105, 1}, {'W', 50, 1, 'w', 106, 1},
      {'X', 51, 1, 'x', 107, 1}, {'Y', 52, 1, 'y', 108, 1}, {'Z', 53, 1, 'z', 109, 1},
  };
  for (const Letter& l : letters) {
    set(l.upper, l.upperFirst, l.upperCycle);
    set(l.lower, l.lowerFirst, l.lowerCycle);
  }
  for (int b = 0x00; b <= 0x1F; ++b) set(b, b + 110, 1);  // control characters
  set(0x20, 143, 6);                                       // space
  for (int b = 0x21; b <= 0x40; ++b) set(b, b + 117, 1);  // punctuation, digits
  for (int b = 0x5B; b <= 0x60; ++b) set(b, b + 91, 1);   // [ \ ] ^ _ `
  for (int b = 0x7B; b <= 0x7E; ++b) set(b, b + 66, 1);   // { | } ~
  return t;
}

// Input is taken in blocks that are a whole number of mixing cycles, so that
// every block starts at the same place in the key's pattern.
constexpr std::size_t kBlock = kMixCycle * 156;  // 65520 bytes

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

const std::array<FrequencyCode, 256> FrequencyCodeTable = BuildFrequencyCodeTable();

std::optional<std::uint8_t> NextFrequencyCode(std::uint8_t byte, FrequencyCounters& counters) {
  const FrequencyCode& c = FrequencyCodeTable[byte];
  if (c.Dropped()) return std::nullopt;
  std::uint8_t& counter = counters.count[byte];
  const auto code = static_cast<std::uint8_t>(c.first + counter);
  if (++counter == c.cycle) counter = 0;
  return code;
}

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
    if (progress) progress(done, size);
  }
}

}  // namespace qor

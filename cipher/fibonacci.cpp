#include "cipher/fibonacci.h"

#include <algorithm>
#include <vector>

namespace qor {

namespace {

// As one 24-bit number (byte 0 highest), the first form's digit i is bit
// 23 - i and the second form's digit i is bit i.
std::uint32_t FirstFormBits(std::uint16_t mask) {
  std::uint32_t bits = 0;
  for (int i = 0; i < 12; ++i)
    if (mask & (1u << i)) bits |= 1u << (23 - i);
  return bits;
}

std::uint32_t SecondFormBits(std::uint16_t mask) { return mask; }

// Input is taken in blocks of whole mixing cycles of output: 280 input bytes
// give 420 output bytes, and every block starts at the same place in the
// key's pattern.
constexpr std::size_t kBlock = 840 * 78;  // 65520 bytes in, 98280 out

// Every value's cycle of forms as one state machine over all 256 values:
// state s is one form, already laid out for either place in a group.
struct FormMachine {
  std::vector<std::uint32_t> first, second;
  std::vector<std::uint16_t> next;
  std::array<std::uint16_t, 256> start{};

  FormMachine() {
    const RepresentationCycles& cycles = RepresentationCycles::Get();
    for (int v = 0; v < 256; ++v) {
      const auto& cycle = cycles.Cycle(v);
      start[v] = static_cast<std::uint16_t>(first.size());
      for (std::size_t k = 0; k < cycle.size(); ++k) {
        first.push_back(FirstFormBits(cycle[k]));
        second.push_back(SecondFormBits(cycle[k]));
        next.push_back(static_cast<std::uint16_t>(k + 1 < cycle.size() ? first.size() : start[v]));
      }
    }
  }
};

const FormMachine& Machine() {
  static const FormMachine machine;
  return machine;
}

// The amounts (mod 256) that MixTriplet adds to output bytes 0..419.
std::array<std::uint8_t, kMixCycle> TripletMixPattern(const CipherKey& key) {
  std::array<std::uint8_t, kMixCycle> pattern{};
  for (int g = 0; g < kMixCycle / 3; ++g) {
    FibonacciGroup zero{};
    MixTriplet(zero, 2 * g + 2, key);
    std::copy(zero.begin(), zero.end(), pattern.begin() + 3 * g);
  }
  return pattern;
}

}  // namespace

void HalfTurn(std::int32_t& value) { value = value < 128 ? value + 128 : value - 128; }

void PackForms(const FibonacciDigits& first, const FibonacciDigits& second, FibonacciGroup& group) {
  const std::uint32_t bits = FirstFormBits(DigitsMask(first)) | SecondFormBits(DigitsMask(second));
  group[0] = static_cast<std::uint8_t>(group[0] | (bits >> 16));
  group[1] = static_cast<std::uint8_t>(group[1] | (bits >> 8));
  group[2] = static_cast<std::uint8_t>(group[2] | bits);
}

void MixTriplet(FibonacciGroup& group, std::int64_t position, const CipherKey& key) {
  const std::int64_t g = (position - 2) / 2;
  int j = static_cast<int>((g % key.length) * 3 % key.length);
  for (int i = 0; i < 3; ++i) {
    const std::uint8_t k = key.bytes[j];
    group[i] = static_cast<std::uint8_t>(i % 2 == 0 ? group[i] + k : group[i] - k);
    j = (j + 1) % key.length;
  }
}

std::int64_t FibonacciOutputLength(std::int64_t inputLength) {
  if (inputLength <= 0) return 2;  // one group of two fillers, cut
  return inputLength % 2 == 0 ? inputLength / 2 * 3 : (3 * (inputLength / 2)) + 2;
}

void EncryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress) {
  const std::int64_t size = StreamSize(input);
  const FormMachine& m = Machine();
  const auto mix = TripletMixPattern(key);
  std::array<std::uint16_t, 256> state = m.start;  // every record all zero
  // Two spare bytes take the filler of an odd or empty input.
  std::vector<std::uint8_t> in(kBlock + 2), out(kBlock / 2 * 3 + 3);

  std::int64_t done = 0;
  bool last = false;
  while (!last) {
    const std::int64_t left = std::max<std::int64_t>(size - done, 0);
    auto count = static_cast<std::size_t>(std::min<std::int64_t>(kBlock, left));
    ReadBlock(input, in.data(), count);
    done += static_cast<std::int64_t>(count);
    last = done >= size;  // the group that reaches the size is the last
    std::size_t outCount = count / 2 * 3;
    if (last && (count % 2 == 1 || size <= 0)) {
      // The cut last group: the real byte if any, then fillers (0).
      in[count] = 0;
      if (size <= 0) in[count + 1] = 0;
      count += count % 2 == 1 ? 1 : 2;
      outCount += 2;
    }
    std::uint8_t* o = out.data();
    for (std::size_t i = 0; i < count; i += 2, o += 3) {
      const std::uint16_t a = state[in[i] ^ 0x80];
      state[in[i] ^ 0x80] = m.next[a];
      const std::uint16_t b = state[in[i + 1] ^ 0x80];
      state[in[i + 1] ^ 0x80] = m.next[b];
      const std::uint32_t bits = m.first[a] | m.second[b];
      o[0] = static_cast<std::uint8_t>(bits >> 16);
      o[1] = static_cast<std::uint8_t>(bits >> 8);
      o[2] = static_cast<std::uint8_t>(bits);
    }
    for (std::size_t base = 0; base < outCount; base += kMixCycle) {
      const std::size_t end = std::min(outCount, base + kMixCycle);
      for (std::size_t i = base; i < end; ++i) out[i] = static_cast<std::uint8_t>(out[i] + mix[i - base]);
    }
    std::fwrite(out.data(), 1, outCount, output);
    if (progress) progress(std::min(done, std::max<std::int64_t>(size, 0)), size);
  }
}

}  // namespace qor

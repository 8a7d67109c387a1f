#include "cipher/fibonacci/group_layout.h"

#include <algorithm>
#include <cstring>

namespace qor {

void HalfTurn(std::int32_t& value) { value = value < 128 ? value + 128 : value - 128; }

void MixTriplet(FibonacciGroup& group, std::int64_t position, const CipherKey& key) {
  const std::int64_t g = (position - 2) / 2;
  int j = static_cast<int>((g % key.length) * 3 % key.length);
  for (int i = 0; i < 3; ++i) {
    const std::uint8_t k = key.bytes[j];
    group[i] = static_cast<std::uint8_t>(i % 2 == 0 ? group[i] + k : group[i] - k);
    j = (j + 1) % key.length;
  }
}

std::array<std::uint8_t, kMixRun> TripletMixPattern(const CipherKey& key) {
  std::array<std::uint8_t, kMixRun> pattern{};
  for (std::size_t g = 0; g < kMixRun / 3; ++g) {
    FibonacciGroup zero{};
    MixTriplet(zero, static_cast<std::int64_t>(2 * g + 2), key);
    std::copy(zero.begin(), zero.end(), pattern.begin() + static_cast<std::ptrdiff_t>(3 * g));
  }
  return pattern;
}

namespace {

// Sixteen bytes added or subtracted at once, each modulo 256: the compiler
// turns these into vector instructions where the target has them.
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
static_assert(kMixRun % sizeof(Bytes16) == 0);

template <bool kAdd>
void ApplyRun(std::uint8_t* run, const std::array<std::uint8_t, kMixRun>& pattern) {
  for (std::size_t i = 0; i < kMixRun; i += sizeof(Bytes16)) {
    Bytes16 bytes, amounts;
    std::memcpy(&bytes, run + i, sizeof bytes);
    std::memcpy(&amounts, pattern.data() + i, sizeof amounts);
    bytes = kAdd ? bytes + amounts : bytes - amounts;
    std::memcpy(run + i, &bytes, sizeof bytes);
  }
}

}  // namespace

void MixRun(std::uint8_t* run, const std::array<std::uint8_t, kMixRun>& pattern) { ApplyRun<true>(run, pattern); }
void UnmixRun(std::uint8_t* run, const std::array<std::uint8_t, kMixRun>& pattern) { ApplyRun<false>(run, pattern); }

std::uint32_t FirstFormBits(std::uint16_t mask) {
  std::uint32_t bits = 0;
  for (int i = 0; i < 12; ++i)
    if (mask & (1u << i)) bits |= 1u << (23 - i);
  return bits;
}

}  // namespace qor

#include "cipher/key_mixing.h"

#include <algorithm>

namespace qor {

CipherKey::CipherKey(std::string_view keyText) {
  const std::size_t n = std::min<std::size_t>(keyText.size(), kMaxKeyLength);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(keyText[i]);
  while (length < kMaxKeyLength && bytes[length] != 0) ++length;
}

void MixStreamByte(std::uint8_t& code, std::int64_t position, const CipherKey& key) {
  const std::int64_t i = position - 1;
  const std::uint8_t k = key.bytes[i % key.length];
  code = static_cast<std::uint8_t>(i % 2 == 0 ? code + k : code - k);
}

std::array<std::uint8_t, kMixCycle> StreamMixPattern(const CipherKey& key) {
  std::array<std::uint8_t, kMixCycle> pattern{};
  for (int i = 0; i < kMixCycle; ++i) {
    std::uint8_t zero = 0;
    MixStreamByte(zero, i + 1, key);
    pattern[i] = zero;
  }
  return pattern;
}

int MixPeriod(const std::array<std::uint8_t, kMixCycle>& pattern) {
  for (int p = 1; p < kMixCycle; ++p) {
    if (kMixCycle % p != 0) continue;
    bool repeats = true;
    for (int i = 0; i < kMixCycle && repeats; ++i) repeats = pattern[i] == pattern[(i + p) % kMixCycle];
    if (repeats) return p;
  }
  return kMixCycle;
}

}  // namespace qor

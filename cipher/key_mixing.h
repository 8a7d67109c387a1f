// The key as both methods use it, and the per-byte mixing of the
// frequency normalization method.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qor {

// At most 7 key bytes, zero-filled to 8, and the number of bytes before the
// first zero byte. Key text is Windows-1252 bytes.
struct CipherKey {
  std::array<std::uint8_t, 8> bytes{};
  std::int32_t length = 0;

  CipherKey() = default;
  // Takes the first 7 bytes of the text; the rest is ignored.
  explicit CipherKey(std::string_view keyText);
};

// Mixes the code written for the input byte at `position` (1-based, counting
// every byte read so far, dropped or kept): key byte (position-1) mod length
// is added at odd positions and subtracted at even ones, modulo 256.
// key.length must be at least 1.
void MixStreamByte(std::uint8_t& code, std::int64_t position, const CipherKey& key);

// The signed amounts MixStreamByte adds, laid out for the positions 1, 2, 3, ...
// of a run; the pattern repeats every `period` positions (2 * length for an
// odd length, length for an even one). Used by the block loops.
struct StreamMixPattern {
  static constexpr int kMaxPeriod = 14;
  std::array<std::uint8_t, kMaxPeriod> add{};  // amount to add mod 256
  int period = 0;
  explicit StreamMixPattern(const CipherKey& key);
};

}  // namespace qor

// The key as both methods use it, and the per-byte mixing of the
// frequency normalization method.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qor {

// The longest key: the dialog's key edit, its data validation and the
// command-line tool all take at most this many characters.
inline constexpr int kMaxKeyLength = 7;

// At most kMaxKeyLength key bytes, zero-filled to one more, and the number
// of bytes before the first zero byte. Key text is Windows-1252 bytes.
struct CipherKey {
  std::array<std::uint8_t, kMaxKeyLength + 1> bytes{};
  std::int32_t length = 0;

  CipherKey() = default;
  // Takes the first kMaxKeyLength bytes of the text; the rest is ignored.
  explicit CipherKey(std::string_view keyText);
};

// Mixes the code written for the input byte at `position` (1-based, counting
// every byte read so far, dropped or kept): key byte (position-1) mod length
// is added at odd positions and subtracted at even ones, modulo 256.
// key.length must be at least 1.
void MixStreamByte(std::uint8_t& code, std::int64_t position, const CipherKey& key);

// Every key's mixing repeats after a whole number of these positions (or
// output bytes): 420 is a multiple of 2 * L and 3 * L for every length L of
// 1 to 7. The block loops keep their blocks aligned to it and add the
// amounts of a precomputed pattern instead of working out each byte's turn.
inline constexpr int kMixCycle = 420;

// The amounts (mod 256) that MixStreamByte adds at the positions 1..420 of a
// run, index 0 for position 1; the pattern holds for positions 421.. again.
std::array<std::uint8_t, kMixCycle> StreamMixPattern(const CipherKey& key);

// The smallest p dividing 420 after which the pattern's amounts repeat: a
// run of dropped bytes whose length is a multiple of it leaves the mixing
// of what follows as it was, so no decryption can see it.
int MixPeriod(const std::array<std::uint8_t, kMixCycle>& pattern);

}  // namespace qor

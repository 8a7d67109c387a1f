// How the Fibonacci method lays two forms into a 3-byte group and mixes the
// group with the key, both as the method describes them (HalfTurn,
// MixTriplet) and as the block loops use them: a group as one word, and the
// key's amounts over a whole run of output at once.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cipher/key_mixing.h"

namespace qor {

using FibonacciGroup = std::array<std::uint8_t, 3>;

// (value + 128) mod 256: flips the high bit of a value 0..255.
void HalfTurn(std::int32_t& value);

// Mixes group g (position = 2g + 2): output byte m = 3g + i takes key byte
// m mod length, added for i = 0 and 2, subtracted for i = 1.
void MixTriplet(FibonacciGroup& group, std::int64_t position, const CipherKey& key);

// The key's amounts over the output repeat every kMixCycle bytes. The
// block loops mix whole runs of this many output bytes (from two thirds as
// many input bytes): a multiple of kMixCycle, and of any vector width.
inline constexpr std::size_t kMixRun = 8 * kMixCycle;  // 3360 output bytes
inline constexpr std::size_t kRunInput = kMixRun / 3 * 2;

// The input bytes a block loop takes at once: whole runs, so that every
// block starts at the same place in the key's pattern, and about 64 KiB,
// which the run-time library's streams read and write at full speed.
inline constexpr std::size_t kFibonacciBlock = 29 * kRunInput;  // 64960 in, 97440 out

// What MixTriplet adds to each byte of a run of output.
std::array<std::uint8_t, kMixRun> TripletMixPattern(const CipherKey& key);

// Adds the pattern to a whole run of output, or takes it off again.
void MixRun(std::uint8_t* run, const std::array<std::uint8_t, kMixRun>& pattern);
void UnmixRun(std::uint8_t* run, const std::array<std::uint8_t, kMixRun>& pattern);

// As one 24-bit number (byte 0 highest), the first form's digit i is bit
// 23 - i and the second form's digit i is bit i; `mask` has digit i in bit i.
std::uint32_t FirstFormBits(std::uint16_t mask);
inline std::uint32_t SecondFormBits(std::uint16_t mask) { return mask; }

// A group as the little-endian word whose first three bytes in memory are
// byte 0, byte 1 and byte 2 of the group, from its 24-bit number; the same
// shuffle turns the word back into the number.
constexpr std::uint32_t GroupWord(std::uint32_t bits) {
  return (bits >> 16 & 0xFF) | (bits >> 8 & 0xFF) << 8 | (bits & 0xFF) << 16;
}

// Writes the group's three bytes at o, and a fourth that the next group
// overwrites (the buffer must have room for it).
inline void StoreGroup(std::uint8_t* o, std::uint32_t word) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(o, &word, 4);
  } else {
    o[0] = static_cast<std::uint8_t>(word);
    o[1] = static_cast<std::uint8_t>(word >> 8);
    o[2] = static_cast<std::uint8_t>(word >> 16);
  }
}

// The block loops' walk over `groups` groups: step(g) for each in turn,
// two a step, to spend fewer instructions on the loop. Stops at the first
// g for which step says false and returns it; `groups` if none did.
template <typename Step>
std::size_t EachGroup(std::size_t groups, Step step) {
  std::size_t g = 0;
  for (; g + 2 <= groups; g += 2) {
    if (!step(g)) return g;
    if (!step(g + 1)) return g + 1;
  }
  if (g < groups && !step(g)) return g;
  return groups;
}

// The group at p as GroupWord makes it (StoreGroup's inverse). Reads a
// fourth byte past it.
inline std::uint32_t LoadGroupWord(const std::uint8_t* p) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t word;
    std::memcpy(&word, p, 4);
    return word & 0xFFFFFFu;
  } else {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
  }
}

// The group at p as its 24-bit number (byte 0 highest): one load and a
// byte swap, where GroupWord's shifts and masks would cost six
// instructions a group. Reads a fourth byte past it.
inline std::uint32_t LoadGroupBits(const std::uint8_t* p) {
  std::uint32_t word;
  std::memcpy(&word, p, 4);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
  return word >> 8;
}

}  // namespace qor

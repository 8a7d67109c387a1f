// The frequency method's table: for each byte value, the codes it is written
// as, or that it is dropped. Encryption and decryption are built on it; the
// job reads it to tell which bytes a file loses.
#pragma once

#include <array>
#include <cstdint>

namespace qor {

// One byte value's entry: its first code and how many codes it cycles
// through. A cycle of 0 marks a dropped byte.
struct FrequencyCode {
  std::uint8_t first = 0;
  std::uint8_t cycle = 0;
  constexpr bool Dropped() const { return cycle == 0; }
};

extern const std::array<FrequencyCode, 256> FrequencyCodeTable;

}  // namespace qor

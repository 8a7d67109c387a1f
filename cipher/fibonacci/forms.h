// Twelve-digit Fibonacci forms of the values 0..255 and the rules that move
// a value from one form to the next at each of its occurrences.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qor {

using FibonacciBasis = std::array<std::int32_t, 12>;
inline constexpr FibonacciBasis kFibonacciBasis = {1, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144};

// One form: digit i (0 or 1) carries weight basis[i]; digit 0 first.
using FibonacciDigits = std::array<std::int32_t, 12>;

// The current form of each value 0..255; all zero = not seen yet this run.
using RepresentationTable = std::array<FibonacciDigits, 256>;

// Moves the record of `value` (0..255) to its next form, or to its first
// form when the record is all zero. Touches no other record.
void NextRepresentation(std::int32_t value, const FibonacciBasis& basis, RepresentationTable& table);

// A form as a 12-bit mask, digit i in bit i.
std::uint16_t DigitsMask(const FibonacciDigits& digits);

// Each value's whole cycle of forms, first form first, worked out once by
// running NextRepresentation from the all-zero record until the first form
// comes back.
class RepresentationCycles {
 public:
  static const RepresentationCycles& Get();

  // The forms of `value` in cycle order, as 12-bit masks.
  const std::vector<std::uint16_t>& Cycle(int value) const { return cycles_[value]; }

 private:
  RepresentationCycles();
  std::array<std::vector<std::uint16_t>, 256> cycles_;
};

}  // namespace qor

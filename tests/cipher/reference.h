// Both methods written out byte by byte, one getc and one putc at a time,
// exactly in the order of their description: the oracle for the block loops.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "cipher/fibonacci/forms.h"
#include "cipher/fibonacci/group_layout.h"
#include "cipher/key_mixing.h"

namespace qor::test {

// Sets the group's bits from the two forms, bit by bit as the layout is
// described: the first form's digits 0..11 from bit 7 of byte 0 on, then
// the second form's digits 11..0 down to bit 0 of byte 2. Only sets bits.
void PackForms(const FibonacciDigits& first, const FibonacciDigits& second, FibonacciGroup& group);

// The sum of the weights of the set digits.
std::int32_t FormValue(const FibonacciDigits& digits, const FibonacciBasis& basis = kFibonacciBasis);
// The rotating counter of every cycling character (29 of them: 14 uppercase
// and 14 lowercase letters and the space), indexed by byte value; the entries
// of other bytes stay 0. All 0 at the start of a run.
struct FrequencyCounters {
  std::array<std::uint8_t, 256> count{};
};

// The code of one input byte, stepping its counter; no value for a dropped byte.
std::optional<std::uint8_t> NextFrequencyCode(std::uint8_t byte, FrequencyCounters& counters);

void ReferenceFrequency(std::FILE* input, std::FILE* output, const CipherKey& key);
void ReferenceFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key);

}  // namespace qor::test

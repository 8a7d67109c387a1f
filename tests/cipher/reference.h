// Both methods written out byte by byte, one getc and one putc at a time,
// exactly in the order of their description: the oracle for the block loops.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "cipher/key_mixing.h"

namespace qor::test {

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

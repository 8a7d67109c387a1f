// Both methods written out byte by byte, one getc and one putc at a time,
// exactly in the order of their description: the oracle for the block loops.
#pragma once

#include <cstdio>

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

void ReferenceFrequency(std::FILE* input, std::FILE* output, const CipherKey& key);
void ReferenceFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key);

}  // namespace qor::test

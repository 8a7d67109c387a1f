// The Fibonacci block method: any file, two bytes at a time, each byte
// written as its value's next 12-digit Fibonacci form, two forms packed into
// a 3-byte group that is mixed with the key.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "cipher/decrypt_result.h"
#include "cipher/fibonacci/forms.h"
#include "cipher/key_mixing.h"
#include "cipher/progress.h"

namespace qor {

using FibonacciGroup = std::array<std::uint8_t, 3>;

// (value + 128) mod 256: flips the high bit of a value 0..255.
void HalfTurn(std::int32_t& value);

// Sets the group's bits from the two forms: the first form's digits 0..11
// from bit 7 of byte 0 on, then the second form's digits 11..0 down to bit 0
// of byte 2. Only sets bits; the group starts at 0.
void PackForms(const FibonacciDigits& first, const FibonacciDigits& second, FibonacciGroup& group);

// Mixes group g (position = 2g + 2): output byte m = 3g + i takes key byte
// m mod length, added for i = 0 and 2, subtracted for i = 1.
void MixTriplet(FibonacciGroup& group, std::int64_t position, const CipherKey& key);

// The output length for an input of `inputLength` bytes.
std::int64_t FibonacciOutputLength(std::int64_t inputLength);

// Encrypts the whole input into the output. The input's size is taken once,
// at the start; exactly that many bytes are read. Both streams stay open.
void EncryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress = {});

// The inverse: unmixes each group, reads its two forms back to values and
// checks every form against the one encryption gives at that occurrence (the
// cut last group on the digits it kept). A form that is not the expected
// one, a sum above 255 or a length of 3g + 1 rejects the file; writing stops
// at the first bad group, so the output is then incomplete and must not be
// kept. Constant memory; the input's size is taken once, at the start.
FibonacciDecryptResult DecryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress = {});

}  // namespace qor

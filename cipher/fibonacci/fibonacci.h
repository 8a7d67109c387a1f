// The Fibonacci block method: any file, two bytes at a time, each byte
// written as its value's next 12-digit Fibonacci form, two forms packed into
// a 3-byte group that is mixed with the key.
#pragma once

#include <cstdint>
#include <cstdio>

#include "cipher/block_pipeline.h"
#include "cipher/decrypt_result.h"
#include "cipher/key_mixing.h"
#include "cipher/progress.h"

namespace qor {

// The output length for an input of `inputLength` bytes.
std::int64_t FibonacciOutputLength(std::int64_t inputLength);

// Encrypts the whole input into the output. The input's size is taken once,
// at the start; exactly that many bytes are read. Both streams stay open.
void EncryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress = {});
// The same, in the blocks and with the workers that `plan` says; the bytes
// written are the same for every plan.
void EncryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress, const BlockPlan& plan);

// The inverse: unmixes each group, reads its two forms back to values and
// checks every form against the one encryption gives at that occurrence (the
// cut last group on the digits it kept). A form that is not the expected
// one, a sum above 255 or a length of 3g + 1 rejects the file; writing stops
// at the first bad group, so the output is then incomplete and must not be
// kept. Constant memory; the input's size is taken once, at the start.
FibonacciDecryptResult DecryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress = {});
FibonacciDecryptResult DecryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress, const BlockPlan& plan);

}  // namespace qor

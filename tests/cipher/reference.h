// Both methods written out byte by byte, one getc and one putc at a time,
// exactly in the order of their description: the oracle for the block loops.
#pragma once

#include <cstdio>

#include "cipher/key_mixing.h"

namespace qor::test {

void ReferenceFrequency(std::FILE* input, std::FILE* output, const CipherKey& key);
void ReferenceFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key);

}  // namespace qor::test

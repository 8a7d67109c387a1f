// The frequency normalization method: a homophonic substitution for
// Windows-1252 text. Every coded byte becomes one code 0..192; frequent
// letters and the space cycle through several codes; other bytes are dropped.
#pragma once

#include <cstdio>

#include "cipher/block_pipeline.h"
#include "cipher/decrypt_result.h"
#include "cipher/encrypt_result.h"
#include "cipher/key_mixing.h"
#include "cipher/progress.h"

namespace qor {

// Encrypts the whole input into the output. The input's size is taken once,
// at the start; exactly that many bytes are read. Both streams stay open.
// Reports the places where bytes were dropped and whether decryption will
// refuse the output for them.
FrequencyEncryptResult EncryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress = {});
// The same, in the blocks and with the workers that `plan` says; the bytes
// written (and the places counted) are the same for every plan.
FrequencyEncryptResult EncryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress, const BlockPlan& plan);

// The inverse: unmixes each byte by its input position, maps its code back
// to its character and checks every cycling character's code against its
// counter. Code 14 is the fourth "E" or "F": of a run of code 14s that the
// counters allow to hold one fourth E, the text around picks which. Dropped
// bytes left no trace but moved the key on; where the codes stop checking, a
// bounded search looks for the fewest places where some bytes were dropped
// (only their count modulo the key's period matters) that make the codes
// check again, ranking equal counts by how plausible the text is. The kept
// text comes back; the dropped bytes cannot. A file that needs drops almost
// everywhere, or reads as noise, is rejected. Bounded memory; the input's size is taken once.
FrequencyDecryptResult DecryptFrequency(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress = {});

}  // namespace qor

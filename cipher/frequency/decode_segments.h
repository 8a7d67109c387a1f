// Decryption of a file in fixed segments that two workers read at once.
//
// Every segment after the first is read from a reading guessed just before
// it: a stretch before its start is decoded from an unknown state (the shift
// that reads furthest, each counter taken from its character's first code),
// and the segment is decoded on from where that stretch ends. In file order,
// the reading that came through the segments before goes on into the
// segment up to its first join point (its start, or a saved state after one
// of its first repairs, with no later search reaching back before it) that it
// reaches exactly and in the same state; from there the segment's reading
// takes over. Where none agrees, that reading goes on through the segment.
// So what comes out is what one reading through the whole file gives,
// whatever the workers and their timing.
#pragma once

#include <cstdint>
#include <cstdio>

#include "cipher/decrypt_result.h"
#include "cipher/key_mixing.h"
#include "cipher/progress.h"

namespace qor {

struct SegmentPlan {
  // A constant, never the number of workers: the segments are the same on
  // every machine.
  std::int64_t segmentBytes = 1 << 19;
  // Decoded before a segment's start to guess the reading there.
  std::int64_t guessBytes = 1 << 15;
  // Threads that read segments; 0 reads them on the caller's.
  int workers = 2;
};

// How the segments after the first were joined.
struct SegmentJoins {
  int stood = 0;      // handed over to the segment's own reading
  int readAgain = 0;  // the reading so far went on through it
};

// DecryptFrequency, by the segments of `plan`; counts the joins into
// `joins` when given.
FrequencyDecryptResult DecryptFrequencyBySegments(std::FILE* input, std::FILE* output, const CipherKey& key,
                                                  const Progress& progress, const SegmentPlan& plan,
                                                  SegmentJoins* joins = nullptr);

}  // namespace qor

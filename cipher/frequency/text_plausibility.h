// Whether what the frequency decoder read is text: the judgement of noise
// that refuses a wrong key, and the stricter test the automatic choice puts
// to a file before it takes it as frequency.
#pragma once

#include <cstdint>

#include "cipher/decrypt_result.h"

namespace qor {

// The searches' text is judged only over this many bytes or more: fewer
// say too little.
inline constexpr std::int64_t kMinSearchedToJudge = 16;
// What the searched text may cost, about in bits: 13 per 4 bytes. Real text,
// documentation with its names, commands and tables too, stays below it
// (at 5 per 2, one 1 KB piece of it in six was refused; at 6 per 2, once
// the text model weighed letter pairs, one in ten of the English reference);
// the noise that a wrong key reads, with its unlikely pairs, goes above.
inline constexpr std::int64_t kMaxSearchedPenalty = 13, kPerSearchedBytes = 4;

// True when `cost` over `bytes` read by the drop searches is noise.
constexpr bool ReadsAsNoise(std::int64_t cost, std::int64_t bytes) {
  return bytes >= kMinSearchedToJudge && kPerSearchedBytes * cost > kMaxSearchedPenalty * bytes;
}

// The decoder weighs this many first bytes of what it writes by the text
// model (FrequencyDecryptResult::headCost), for the test below.
inline constexpr std::int64_t kHeadWeighed = 4096;

// Whether a file that decrypted by frequency could plausibly have been
// text encrypted by it, rather than another method's file read with a key
// that makes no sense of it: long enough to tell, and reading as text.
bool PlausibleFrequencyText(const FrequencyDecryptResult& result);

}  // namespace qor

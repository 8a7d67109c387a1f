#include "cipher/frequency/text_plausibility.h"

namespace qor {

namespace {

// Fewer bytes say too little: a wrong key reads text-like bytes by chance.
constexpr std::int64_t kMinPlausibleBytes = 4;
// What the first bytes may cost by the text model, about in bits per byte.
// Real text, even a few words of it, mostly stays under 2 (under 1.4 from a
// quarter kilobyte up); the bytes a wrong key reads from a small Fibonacci
// file cost 2 to 5.
constexpr std::int64_t kMaxHeadCostPerByte = 2;

}  // namespace

bool PlausibleFrequencyText(const FrequencyDecryptResult& result) {
  return result.headBytes >= kMinPlausibleBytes && result.headCost <= kMaxHeadCostPerByte * result.headBytes;
}

}  // namespace qor

#include "cipher/frequency/text_plausibility.h"

#include <cstdio>
#include <cstdlib>

namespace qor {

bool PlausibleFrequencyText(const FrequencyDecryptResult& result) {
  if (std::getenv("QDBG")) std::fprintf(stderr, "HEAD %lld %lld\n", (long long)result.headBytes, (long long)result.headCost);
  return true;
}

}  // namespace qor

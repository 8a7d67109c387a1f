// What an encryption run reports: whether its own method's decryption will
// take the output back. Only the frequency method can make one it refuses.
#pragma once

#include <cstdint>

namespace qor {

struct FrequencyEncryptResult {
  // Places where bytes were dropped, counted as decryption finds them: a
  // run of dropped bytes that a kept byte follows, unless the key's mixing
  // makes it invisible.
  std::int64_t dropPlaces = 0;
  std::int64_t codedBytes = 0;  // bytes written
  // Decryption will refuse the output as if the key were wrong.
  bool tooManyDrops = false;
};

struct EncryptResult {
  FrequencyEncryptResult frequency;  // for the frequency method; zero otherwise
  bool decryptable() const { return !frequency.tooManyDrops; }
};

}  // namespace qor

// What a decryption run reports. Unlike encryption, a decryption can find
// that its input was not made by the method with this key.
#pragma once

#include <cstdint>

namespace qor {

enum class DecryptStatus {
  kOk,
  kRejected,  // a wrong key, or a damaged or foreign file
  // Frequency only: the key reads text, but with more places where bytes
  // were dropped than decryption takes (text far from Windows-1252).
  kTooManyDrops,
  kStopped,   // the caller's progress callback asked to stop; output incomplete
};

struct FibonacciDecryptResult {
  DecryptStatus status = DecryptStatus::kOk;
  // Offset in the encrypted file of the first byte that failed the check;
  // -1 when every group checked.
  std::int64_t badOffset = -1;
  // The encrypted file is two bytes long and decodes to the single byte
  // 0x00: an empty input gives the very same two bytes. The byte is written.
  bool couldBeEmpty = false;
  bool ok() const { return status == DecryptStatus::kOk; }
};

struct FrequencyDecryptResult {
  DecryptStatus status = DecryptStatus::kOk;
  // Places where dropped bytes had to be assumed to make the codes check.
  std::int64_t dropPoints = 0;
  // Places where a code was taken against its counter, which an earlier
  // misreading left wrong: the text near them may be off by a character.
  std::int64_t counterFixes = 0;
  // The text model's cost, about in bits, of the first headBytes bytes
  // written (at most kHeadWeighed of them).
  std::int64_t headBytes = 0;
  std::int64_t headCost = 0;
  bool ok() const { return status == DecryptStatus::kOk; }
};

}  // namespace qor

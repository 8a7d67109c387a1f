// Getting files back: decrypting an encrypted file into a file of its own,
// and checking that an encrypted file decrypts back to its original.
#pragma once

#include <cstdint>
#include <string>

#include "cipher/key_mixing.h"
#include "cipher/method.h"
#include "cipher/progress.h"
#include "job/file_run.h"

namespace qor {

struct DecryptOutcome {
  FileRunResult file;         // a file that could not be opened, read or written
  bool outputExists = false;  // the output name is taken and replacing was not asked for
  bool rejected = false;      // no method's checks held: a wrong key, or a damaged or foreign file
  DecryptResult decrypted;    // of the method that gave the output, or the last one tried
  Method method() const { return decrypted.method; }
  // Rejected by frequency, which read text but more drops than it takes.
  bool tooManyDrops() const { return rejected && decrypted.status() == DecryptStatus::kTooManyDrops; }
  bool ok() const { return file.ok() && !outputExists && !rejected; }
};

// Decrypts `input` into `output` through a temporary file beside it, which
// takes the output's name only once everything checked: a failure leaves no
// output behind and leaves an existing file as it was. An existing output is
// replaced only with `replace`.
DecryptOutcome DecryptFile(const std::string& input, const std::string& output, MethodChoice choice,
                           const CipherKey& key, bool replace, const Progress& progress = {});

struct VerifyOutcome {
  FileRunResult file;    // a file that could not be opened or read...
  std::string fileName;  // ...and which one
  bool rejected = false;
  bool tooManyDrops = false;  // rejected by frequency: text, but more drops than it takes
  Method method = Method::kFibonacci;
  bool matches = false;
  std::int64_t kept = 0;     // bytes of the original the method keeps, all compared
  std::int64_t dropped = 0;  // bytes of the original the method drops (frequency)
  std::int64_t firstDifference = -1;  // offset in the original of the first byte not given back
  bool ok() const { return file.ok() && !rejected && matches; }
};

// Decrypts `encrypted` without writing a file of it and compares the result
// with `original`: byte for byte for the Fibonacci method; for the frequency
// method with the original less the bytes that method drops.
VerifyOutcome VerifyFile(const std::string& original, const std::string& encrypted, MethodChoice choice,
                         const CipherKey& key, const Progress& progress = {});

}  // namespace qor

// One run of the decryption program: what the dialog asks for, taken as a
// snapshot of its entries when a button is pressed, and how it went. No
// Windows header: the worker thread runs it, and the native tests check
// what it reports.
#pragma once

#include <string>

#include "cipher/key_mixing.h"
#include "cipher/method.h"
#include "cipher/progress.h"
#include "job/file_decryption.h"

namespace qor {

enum class RunKind {
  kDecrypt,  // the encrypted file into a file of its own
  kVerify,   // the encrypted file against its original; writes nothing
};

struct RunRequest {
  RunKind kind = RunKind::kDecrypt;
  std::string encrypted;  // the ".qor" file
  std::string other;      // decrypting: the output; verifying: the original
  MethodChoice choice = kAutomatic;
  CipherKey key;
  bool replace = false;  // decrypting: the user said an existing output may go
};

struct RunOutcome {
  RunRequest request;
  DecryptOutcome decrypted;  // kDecrypt
  VerifyOutcome verified;    // kVerify
  // The user stopped the run; nothing was left behind.
  bool stopped() const;
  // The system's error number of a file that failed, 0 when none or unknown.
  int error() const;
};

RunOutcome ExecuteRun(const RunRequest& request, const Progress& progress = {});

}  // namespace qor

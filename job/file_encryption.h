// Encrypting one file into its ".qor" beside it: the pass that the
// command-line tool runs whole and the dialog's job runs in two steps, with
// its own messages between them.
#pragma once

#include <functional>
#include <string>

#include "cipher/encrypt_result.h"
#include "cipher/key_mixing.h"
#include "cipher/method.h"
#include "cipher/progress.h"
#include "job/file_run.h"

namespace qor {

// Asked once the method has run over the whole input: true keeps the
// output, false removes it before it is ever taken as finished.
using KeepOutput = std::function<bool(const EncryptResult&)>;

class FileEncryption {
 public:
  // Opens the input and creates OutputNameFor(it). False on failure, with
  // the cause in result(): the input, the output, or an output that leads
  // to the input itself.
  bool Open(const std::string& inputName);

  // Encrypts the input into the output by the method, closes both and
  // removes the output unless it is complete and `keep` (when given) says
  // to keep it. Returns the outcome; encrypted() holds what the method said.
  FileRunResult Run(Method method, const CipherKey& key, const Progress& progress = {},
                    const KeepOutput& keep = {});

  const FileRunResult& result() const { return run_.result(); }
  const EncryptResult& encrypted() const { return encrypted_; }

 private:
  FileRun run_;
  EncryptResult encrypted_;
};

struct EncryptOutcome {
  FileRunResult file;
  EncryptResult encrypted;
  bool declined = false;  // complete, but removed as `keep` asked
  bool ok() const { return file.ok() && !declined; }
};

// Both steps, for one input.
EncryptOutcome EncryptFile(const std::string& inputName, Method method, const CipherKey& key,
                           const Progress& progress = {}, const KeepOutput& keep = {});

}  // namespace qor

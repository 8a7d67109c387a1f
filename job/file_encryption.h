// Encrypting one file into its ".qor" beside it: the pass that the
// command-line tool runs whole and the dialog's job runs in two steps, with
// its own messages between them.
#pragma once

#include <string>

#include "cipher/key_mixing.h"
#include "cipher/method.h"
#include "cipher/progress.h"
#include "job/file_run.h"

namespace qor {

class FileEncryption {
 public:
  // Opens the input and creates OutputNameFor(it). False on failure, with
  // the cause in result(): the input, the output, or an output that leads
  // to the input itself.
  bool Open(const std::string& inputName);

  // Encrypts the input into the output by the method, closes both and
  // removes the output unless it is complete. Returns the outcome.
  FileRunResult Run(Method method, const CipherKey& key, const Progress& progress = {});

  const FileRunResult& result() const { return run_.result(); }

 private:
  FileRun run_;
};

// Both steps, for one input.
FileRunResult EncryptFile(const std::string& inputName, Method method, const CipherKey& key,
                          const Progress& progress = {});

}  // namespace qor

#include "job/file_encryption.h"

#include "job/file_names.h"
#include "job/output_file.h"

namespace qor {

bool FileEncryption::Open(const std::string& inputName) {
  return run_.OpenInput(inputName) && run_.OpenOutput(OutputNameFor(inputName), Replacing::kRegularFile);
}

FileRunResult FileEncryption::Run(Method method, const CipherKey& key, const Progress& progress,
                                  const KeepOutput& keep) {
  bool goOn = true;
  run_.Run([&](std::FILE* input, std::FILE* output) {
    encrypted_ = Encrypt(method, input, output, key, [&](std::int64_t done, std::int64_t total) {
      return goOn = GoOn(progress, done, total);
    });
    return goOn;
  });
  // Only a whole run is judged: a stopped one is removed anyway.
  return run_.Finish(/*keepOutput=*/!goOn || !keep || keep(encrypted_));
}

EncryptOutcome EncryptFile(const std::string& inputName, Method method, const CipherKey& key,
                           const Progress& progress, const KeepOutput& keep) {
  EncryptOutcome outcome;
  FileEncryption encryption;
  if (!encryption.Open(inputName)) {
    outcome.file = encryption.result();
    return outcome;
  }
  bool kept = true;
  outcome.file = encryption.Run(method, key, progress, [&](const EncryptResult& r) { return kept = !keep || keep(r); });
  outcome.encrypted = encryption.encrypted();
  outcome.declined = outcome.file.ok() && !kept;
  return outcome;
}

}  // namespace qor

#include "job/file_encryption.h"

#include "job/file_names.h"
#include "job/output_file.h"

namespace qor {

bool FileEncryption::Open(const std::string& inputName) {
  return run_.OpenInput(inputName) && run_.OpenOutput(OutputNameFor(inputName), Replacing::kRegularFile);
}

FileRunResult FileEncryption::Run(Method method, const CipherKey& key, const Progress& progress) {
  run_.Run([&](std::FILE* input, std::FILE* output) {
    bool goOn = true;
    Encrypt(method, input, output, key, [&](std::int64_t done, std::int64_t total) {
      return goOn = GoOn(progress, done, total);
    });
    return goOn;
  });
  return run_.Finish();
}

FileRunResult EncryptFile(const std::string& inputName, Method method, const CipherKey& key,
                          const Progress& progress) {
  FileEncryption encryption;
  if (!encryption.Open(inputName)) return encryption.result();
  return encryption.Run(method, key, progress);
}

}  // namespace qor

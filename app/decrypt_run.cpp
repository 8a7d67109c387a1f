#include "app/decrypt_run.h"

namespace qor {

bool RunOutcome::stopped() const {
  const FileRunResult& file = request.kind == RunKind::kDecrypt ? decrypted.file : verified.file;
  return file.fault == FileFault::kStopped;
}

int RunOutcome::error() const { return request.kind == RunKind::kDecrypt ? decrypted.file.error : verified.file.error; }

RunOutcome ExecuteRun(const RunRequest& request, const Progress& progress) {
  RunOutcome outcome;
  outcome.request = request;
  if (request.kind == RunKind::kDecrypt) {
    outcome.decrypted =
        DecryptFile(request.encrypted, request.other, request.choice, request.key, request.replace, progress);
  } else {
    outcome.verified = VerifyFile(request.other, request.encrypted, request.choice, request.key, progress);
  }
  return outcome;
}

}  // namespace qor

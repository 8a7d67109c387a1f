#include "job/encryption_job.h"

#include <cerrno>

#include "cipher/key_mixing.h"
#include "cipher/method.h"
#include "job/file_encryption.h"
#include "job/file_names.h"
#include "job/text_encoding.h"

namespace qor {
namespace {

constexpr const char* kRefusalCaption = "Error Message";
constexpr const char* kNoFileText = "You must enter a file to encrypt.";
constexpr const char* kNoKeyText =
    "You must enter a key.\n\n Minimum 1 character. \n\n Maximum 7 characters.";
constexpr const char* kNoMethodText = "You must choose an encryption type.";
constexpr const char* kNoticeCaption = "Output Filename";
constexpr const char* kOpenInputCaption = "Error: Could not open input file.";
constexpr const char* kOpenOutputCaption = "Error: Could not open output file.";
constexpr const char* kReadCaption = "Error: Could not read input file.";
constexpr const char* kWriteCaption = "Error: Could not write output file.";

}  // namespace

std::string JobHost::KeyBytes(const std::string& keyText) const { return ToWindows1252(keyText).bytes; }

void EncryptionJob::Box(const std::string& text, const std::string& caption) {
  host_.MessageBox(text, caption, kJobBoxType);
}

void EncryptionJob::Run() {
  if (!host_.FileChosen()) return Box(kNoFileText, kRefusalCaption);
  if (host_.KeyText().empty()) return Box(kNoKeyText, kRefusalCaption);
  if (host_.Fibonacci() == 0 && host_.Frequency() == 0) return Box(kNoMethodText, kRefusalCaption);

  const std::string fileName = host_.GetDlgItemText(kFileNameControl);
  host_.SetFileName(fileName);
  Box(OutputNameFor(fileName), kNoticeCaption);

  FileEncryption encryption;
  if (!encryption.Open(fileName)) {
    const FileRunResult& refused = encryption.result();
    // A folder is refused before it is read; the job tells it as the read
    // failure it always was where a folder opens (on Windows it does not).
    if (refused.fault == FileFault::kNotRegular && refused.error == EISDIR) return Box(fileName, kReadCaption);
    // A device, FIFO or socket is an input that cannot be opened. The
    // same-file guard's refusal is the output's failure: the input stays whole.
    const bool input = refused.fault == FileFault::kOpenInput || refused.fault == FileFault::kNotRegular;
    Box(fileName, input ? kOpenInputCaption : kOpenOutputCaption);
    return host_.EndProcess(1);
  }

  host_.SetKeyText(host_.GetDlgItemText(kKeyControl));
  const CipherKey key(host_.KeyBytes(host_.KeyText()));
  if (key.length == 0) {
    // The edit was emptied behind the checked key text; a method cannot run
    // without a key. The run removes the output it created.
    return Box(kNoKeyText, kRefusalCaption);
  }

  // The dialog sets one flag at a time; frequency is looked at first.
  const Method method = host_.Frequency() == 1 ? Method::kFrequency : Method::kFibonacci;
  const FileRunResult result = encryption.Run(method, key, progress_);
  if (result.ReadFailed()) {
    Box(fileName, kReadCaption);
  } else if (!result.ok() && result.fault != FileFault::kStopped) {
    Box(OutputNameFor(fileName), kWriteCaption);
  }
}

}  // namespace qor

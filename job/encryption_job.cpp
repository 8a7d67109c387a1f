#include "job/encryption_job.h"

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/frequency.h"
#include "cipher/key_mixing.h"
#include "job/file_run.h"
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

  FileRun run;
  if (!run.OpenInput(fileName)) {
    Box(fileName, kOpenInputCaption);
    return host_.EndProcess(1);
  }
  // The same-file guard's refusal is this failure too: the input stays whole.
  if (!run.OpenOutput(OutputNameFor(fileName))) {
    Box(fileName, kOpenOutputCaption);
    return host_.EndProcess(1);
  }

  host_.SetKeyText(host_.GetDlgItemText(kKeyControl));
  const CipherKey key(ToWindows1252(host_.KeyText()).bytes);
  if (key.length == 0) {
    // The edit was emptied behind the checked key text; a method cannot run
    // without a key. The run removes the output it created.
    return Box(kNoKeyText, kRefusalCaption);
  }

  run.Run([&](std::FILE* input, std::FILE* output) {
    if (host_.Frequency() == 1) EncryptFrequency(input, output, key, progress_);
    if (host_.Fibonacci() == 1) EncryptFibonacci(input, output, key, progress_);
  });

  const FileRunResult result = run.Finish();
  if (result.ReadFailed()) {
    Box(fileName, kReadCaption);
  } else if (!result.ok()) {
    Box(OutputNameFor(fileName), kWriteCaption);
  }
}

}  // namespace qor

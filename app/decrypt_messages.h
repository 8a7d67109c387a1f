// What the decryption program says, in Spanish: its help, its refusals of
// missing entries, and the message for each way a run can end. UTF-8. No
// Windows header, so that the native tests check them.
#pragma once

#include <string>

#include "app/decrypt_run.h"

namespace qor {

extern const char kDecryptCaption[];  // every box's caption: the program's name
extern const char kDecryptHelp[];     // "A&yuda" and F1

// The icon a box shows: how the user should read it.
enum class BoxIcon {
  kInformation,  // done, or stopped as asked
  kWarning,      // an entry is missing, or the file did not come back whole
  kError,        // nothing could be done: a file failed, or a wrong key
  kQuestion,     // asks before replacing
};

struct BoxMessage {
  std::string text;
  BoxIcon icon = BoxIcon::kInformation;
};

// Refusals before a run, in the order they are checked.
BoxMessage NoEncryptedFileMessage();
BoxMessage NoOutputNameMessage();
BoxMessage NoKeyMessage();
// The system gave no thread to run on.
BoxMessage NoWorkerMessage();

// The run's end. `systemReason` is the system's words for outcome.error(),
// used when a file could not be opened, read or written.
BoxMessage OutcomeMessage(const RunOutcome& outcome, const std::string& systemReason);

// Asked when the output exists; the answer that replaces it is Yes.
BoxMessage ReplaceQuestion(const std::string& output);

// The method in the dialog's words: "Fibonacci", "normalización de frecuencia".
std::string SpanishMethodName(Method method);

}  // namespace qor

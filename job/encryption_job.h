// One encryption run over one input file, driven by the main dialog's
// entries: the checks and their messages, the output name, the files, the
// chosen method.
#pragma once

#include <string>
#include <utility>

#include "cipher/progress.h"

namespace qor {

// Control ids and message-box type the job uses (the dialog's resource ids).
inline constexpr int kFileNameControl = 1001;  // IDC_FILE_NAME
inline constexpr int kKeyControl = 1003;       // IDC_KEY
inline constexpr unsigned kJobBoxType = 0x30;  // MB_OK | MB_ICONEXCLAMATION

// What the job sees of the dialog. Text is UTF-8.
class JobHost {
 public:
  virtual ~JobHost() = default;

  // The dialog's entries.
  virtual bool FileChosen() const = 0;          // m_bFileChosen
  virtual int Frequency() const = 0;            // m_bFrequency
  virtual int Fibonacci() const = 0;            // m_bFibonacci
  virtual std::string KeyText() const = 0;      // m_strKey
  virtual void SetKeyText(const std::string& text) = 0;
  virtual void SetFileName(const std::string& text) = 0;  // m_strFileName
  // The key text's Windows-1252 bytes. The dialog asks the system, which
  // maps many characters outside the code page to a close letter; this
  // portable default (native builds, tests) makes each of them "?".
  virtual std::string KeyBytes(const std::string& keyText) const;

  // The dialog's operations.
  virtual std::string GetDlgItemText(int controlId) const = 0;
  virtual void MessageBox(const std::string& text, const std::string& caption, unsigned type) = 0;

  // Ends the process (in the program: exit). Where it returns, as in tests,
  // the job closes what it opened and returns.
  virtual void EndProcess(int status) = 0;
};

class EncryptionJob {
 public:
  // `progress`, when given, is passed on to the method.
  explicit EncryptionJob(JobHost& host, Progress progress = {})
      : host_(host), progress_(std::move(progress)) {}
  void Run();

 private:
  void Box(const std::string& text, const std::string& caption);

  JobHost& host_;
  Progress progress_;
};

}  // namespace qor

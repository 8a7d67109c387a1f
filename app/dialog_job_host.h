// The encryption job's view of the main dialog: its entries and its two
// operations, reading a control's text and showing a message box.
#pragma once

#include "app/cipher_dlg.h"
#include "app/key_bytes.h"
#include "job/encryption_job.h"

class CDialogJobHost final : public qor::JobHost {
 public:
  explicit CDialogJobHost(CCipherDlg& dlg) : m_dlg(dlg) {}

  bool FileChosen() const override { return m_dlg.m_bFileChosen != FALSE; }
  int Frequency() const override { return m_dlg.m_bFrequency; }
  int Fibonacci() const override { return m_dlg.m_bFibonacci; }
  std::string KeyText() const override { return m_dlg.m_strKey.GetString(); }
  void SetKeyText(const std::string& text) override { m_dlg.m_strKey = text; }
  void SetFileName(const std::string& text) override { m_dlg.m_strFileName = text; }
  std::string KeyBytes(const std::string& keyText) const override { return qor::KeyBytesOf(keyText); }

  std::string GetDlgItemText(int controlId) const override;
  void MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
  // The process ends here; the dialog does not close first.
  [[noreturn]] void EndProcess(int status) override;

 private:
  CCipherDlg& m_dlg;
};

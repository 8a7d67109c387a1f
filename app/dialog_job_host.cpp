#include "app/dialog_job_host.h"

#include <cstdlib>

std::string CDialogJobHost::GetDlgItemText(int controlId) const {
  CString text;
  m_dlg.GetDlgItemText(controlId, text);
  return text.GetString();
}

void CDialogJobHost::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  m_dlg.MessageBox(text.c_str(), caption.c_str(), type);
}

void CDialogJobHost::EndProcess(int status) { std::exit(status); }

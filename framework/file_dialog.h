// The system's Open and Save dialogs. Names are UTF-8; filters are written
// as pairs separated by "|" and ended by "||", as in
// "Texto (*.txt)|*.txt|Todos los archivos (*.*)|*.*||".
#pragma once

#include <string>
#include <vector>

#include "framework/wnd.h"

class CFileDialog {
 public:
  // bOpenFileDialog TRUE for Open, FALSE for Save. lpszFileName is the name
  // offered at the start, which also picks the folder the dialog opens in.
  explicit CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr, const char* lpszFileName = nullptr,
                       DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* lpszFilter = nullptr,
                       CWnd* pParentWnd = nullptr);
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  void SetTitle(const char* lpszTitle);
  // IDOK once a name was chosen; IDCANCEL when the user cancelled or the
  // dialog failed (a name longer than the buffer, say).
  INT_PTR DoModal();
  CString GetPathName() const;

  OPENFILENAMEW m_ofn{};

 private:
  BOOL m_bOpenFileDialog;
  std::wstring m_title;
  std::wstring m_filter;
  std::wstring m_defExt;
  std::vector<wchar_t> m_fileName;
};

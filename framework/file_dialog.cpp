#include "framework/file_dialog.h"

#include <algorithm>

namespace {
// Room for long paths, well past MAX_PATH.
constexpr std::size_t kFileNameChars = 4096;
}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName, DWORD dwFlags,
                         const char* lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_fileName(kFileNameChars, L'\0') {
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.hwndOwner = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
  m_ofn.Flags = dwFlags | OFN_EXPLORER;
  if (lpszFilter) {
    // The system wants each string ended by a zero and the list by another.
    m_filter = fw::Widen(lpszFilter);
    std::replace(m_filter.begin(), m_filter.end(), L'|', L'\0');
    m_filter.push_back(L'\0');
    m_ofn.lpstrFilter = m_filter.c_str();
    m_ofn.nFilterIndex = 1;
  }
  if (lpszDefExt) {
    m_defExt = fw::Widen(lpszDefExt);
    m_ofn.lpstrDefExt = m_defExt.c_str();
  }
  if (lpszFileName) {
    const std::wstring name = fw::Widen(lpszFileName);
    std::copy_n(name.begin(), std::min(name.size(), kFileNameChars - 1), m_fileName.begin());
  }
  m_ofn.lpstrFile = m_fileName.data();
  m_ofn.nMaxFile = static_cast<DWORD>(kFileNameChars);
}

void CFileDialog::SetTitle(const char* lpszTitle) {
  m_title = fw::Widen(lpszTitle ? lpszTitle : "");
  m_ofn.lpstrTitle = lpszTitle ? m_title.c_str() : nullptr;
}

INT_PTR CFileDialog::DoModal() {
  const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
  return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const { return fw::Narrow(m_fileName.data()); }

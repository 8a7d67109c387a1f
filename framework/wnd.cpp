#include "framework/wnd.h"

#include <vector>

#include <shellapi.h>

#include "framework/winapp.h"

namespace {
constexpr wchar_t kObjectProperty[] = L"CWnd";
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
  std::wstring text = fw::Widen(lpszNewItem ? lpszNewItem : "");
  return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, fw::WideOrNull(text, lpszNewItem));
}

CWnd::~CWnd() { Detach(); }

int CWnd::GetDlgItemText(int nID, CString& rString) const {
  HWND item = ::GetDlgItem(m_hWnd, nID);
  int length = item ? ::GetWindowTextLengthW(item) : 0;
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
  int got = item ? ::GetWindowTextW(item, buffer.data(), length + 1) : 0;
  rString = fw::Narrow(std::wstring_view(buffer.data(), static_cast<std::size_t>(got)));
  return rString.GetLength();
}

void CWnd::SetDlgItemText(int nID, const char* lpszString) {
  ::SetDlgItemTextW(m_hWnd, nID, fw::Widen(lpszString ? lpszString : "").c_str());
}

int CWnd::MessageBox(const char* lpszText, const char* lpszCaption, UINT nType) {
  CWinApp* app = AfxGetApp();
  std::wstring text = fw::Widen(lpszText ? lpszText : "");
  std::wstring caption = fw::Widen(lpszCaption ? lpszCaption : (app ? app->m_pszAppName : ""));
  return ::MessageBoxW(m_hWnd, text.c_str(), caption.c_str(), nType);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
  m_systemMenu.m_hMenu = ::GetSystemMenu(m_hWnd, bRevert);
  return m_systemMenu.m_hMenu ? &m_systemMenu : nullptr;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::DragAcceptFiles(BOOL bAccept) { ::DragAcceptFiles(m_hWnd, bAccept); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (Dispatch(message, wParam, lParam, result)) return result;
  if (message == WM_COMMAND) {
    CWinApp* app = AfxGetApp();
    if (app && app->Dispatch(message, wParam, lParam, result)) return result;
  }
  return DefWindowProc(message, wParam, lParam);
}

void CWnd::SubclassWindow(HWND hWnd) {
  m_hWnd = hWnd;
  ::SetPropW(hWnd, kObjectProperty, this);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::FrameworkWndProc)));
}

void CWnd::Detach() {
  if (!m_hWnd) return;
  if (m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  ::RemovePropW(m_hWnd, kObjectProperty);
  m_pfnSuper = nullptr;
  m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::FrameworkWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* wnd = static_cast<CWnd*>(::GetPropW(hWnd, kObjectProperty));
  if (!wnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);
  LRESULT result = wnd->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) wnd->Detach();
  return result;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

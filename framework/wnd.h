// Windows, their menus and paint contexts: thin members over the Win32
// calls of the same names. A CWnd subclasses its window so that messages
// reach the object's message map; what the map does not handle goes to the
// window's own procedure.
#pragma once

#include "framework/cstring.h"
#include "framework/message_map.h"

// A RECT with its width and height.
class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  operator LPRECT() { return this; }  // NOLINT
};

class CMenu {
 public:
  HMENU m_hMenu = nullptr;

  HMENU GetSafeHmenu() const { return m_hMenu; }
  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);
};

class CWnd : public CCmdTarget {
 public:
  HWND m_hWnd = nullptr;

  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  ~CWnd() override;

  HWND GetSafeHwnd() const { return m_hWnd; }
  HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }

  int GetDlgItemText(int nID, CString& rString) const;
  void SetDlgItemText(int nID, const char* lpszString);
  // A modal box owned by this window; no caption means the application's name.
  int MessageBox(const char* lpszText, const char* lpszCaption = nullptr, UINT nType = MB_OK);
  // The window's own copy of its system menu (bRevert FALSE), valid while
  // the window lives; null if it has none. bRevert TRUE restores the
  // system's menu and returns null.
  CMenu* GetSystemMenu(BOOL bRevert);
  HICON SetIcon(HICON hIcon, BOOL bBigIcon);
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
  }

  // Dialog controls by id.
  BOOL EnableDlgItem(int nID, BOOL bEnable) { return ::EnableWindow(GetDlgItem(nID), bEnable); }
  void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
  }
  UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
  // Lets files dropped onto the window arrive as WM_DROPFILES.
  void DragAcceptFiles(BOOL bAccept = TRUE);

 protected:
  // Message-map handlers' default processing.
  void OnSysCommand(UINT nID, LPARAM lParam) { DefWindowProc(WM_SYSCOMMAND, nID, lParam); }
  void OnPaint() { DefWindowProc(WM_PAINT, 0, 0); }
  HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(DefWindowProc(WM_QUERYDRAGICON, 0, 0)); }

  // What the window would have done with the message without this object.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The object's maps, then commands the window does not handle go to the
  // application's map, then the default processing.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  void SubclassWindow(HWND hWnd);

 private:
  static LRESULT CALLBACK FrameworkWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Detach();

  WNDPROC m_pfnSuper = nullptr;
  CMenu m_systemMenu;
};

class CDC {
 public:
  HDC m_hDC = nullptr;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }  // NOLINT
  BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
};

// Painting in answer to WM_PAINT: BeginPaint on construction, EndPaint on
// destruction.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  ~CPaintDC();

  PAINTSTRUCT m_ps{};

 private:
  HWND m_hWnd;
};

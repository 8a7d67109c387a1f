// The common controls' progress bar, over a control of a dialog.
#pragma once

#include <commctrl.h>

#include "framework/win32.h"

class CProgressCtrl {
 public:
  HWND m_hWnd = nullptr;

  CProgressCtrl() = default;
  explicit CProgressCtrl(HWND hWnd) : m_hWnd(hWnd) {}

  void SetRange32(int nLower, int nUpper) { ::SendMessageW(m_hWnd, PBM_SETRANGE32, nLower, nUpper); }
  // Returns the previous position.
  int SetPos(int nPos) { return static_cast<int>(::SendMessageW(m_hWnd, PBM_SETPOS, nPos, 0)); }
  int GetPos() const { return static_cast<int>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0)); }
};

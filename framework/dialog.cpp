#include "framework/dialog.h"

#include <string>

#include "framework/winapp.h"

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  m_hWndLastControl = m_pDlgWnd->GetDlgItem(nIDC);
  return m_hWndLastControl;
}

void CDataExchange::Fail() {
  if (m_hWndLastControl) {
    ::SetFocus(m_hWndLastControl);
    ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
  }
  m_bFailed = true;
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  if (pDX->m_bFailed) return;
  HWND edit = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    pDX->m_pDlgWnd->GetDlgItemText(nIDC, value);
  } else {
    ::SetWindowTextW(edit, fw::Widen(value.GetString()).c_str());
  }
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (pDX->m_bFailed) return;
  if (!pDX->m_bSaveAndValidate) {
    if (pDX->m_hWndLastControl) ::SendMessageW(pDX->m_hWndLastControl, EM_LIMITTEXT, nChars, 0);
    return;
  }
  // Counted as the edit counts its limit, in UTF-16 units.
  if (fw::Widen(value.GetString()).size() > static_cast<std::size_t>(nChars)) {
    std::string message = "Please enter no more than %1 characters.";
    message.replace(message.find("%1"), 2, std::to_string(nChars));
    pDX->m_pDlgWnd->MessageBox(message.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange exchange(this, bSaveAndValidate);
  DoDataExchange(&exchange);
  return exchange.m_bFailed ? FALSE : TRUE;
}

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  m_bInModalLoop = false;
  if (m_hWnd) {
    // Gone from the screen at once, as the system's dialogs are: a loop that
    // is not ours (a chooser's) may run on before DoModal gets control back.
    Dismiss();
    // Wakes the loop if it is waiting for a message.
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
  }
}

// In this order: hidden without activating anything (the owner is still
// disabled, so the system would activate some other window, maybe another
// program's), the owner enabled, then made active if the dialog was. So
// the owner keeps the foreground when the dialog closes.
void CDialog::Dismiss() {
  if (m_bDismissed || !m_hWnd) return;
  m_bDismissed = true;
  const bool wasActive = ::GetActiveWindow() == m_hWnd;
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  if (m_hOwnerDisabled) ::EnableWindow(m_hOwnerDisabled, TRUE);
  m_hOwnerDisabled = nullptr;
  if (wasActive && m_hModalOwner && ::IsWindow(m_hModalOwner)) ::SetActiveWindow(m_hModalOwner);
}

// The explicit parent, else the application's main window when that is
// another live window (so a second dialog is modal to the first).
HWND CDialog::ModalOwner() const {
  if (m_pParentWnd) return m_pParentWnd->GetSafeHwnd();
  CWinApp* app = AfxGetApp();
  CWnd* main = app ? app->m_pMainWnd : nullptr;
  if (main && main != this && main->GetSafeHwnd() && ::IsWindow(main->GetSafeHwnd())) return main->GetSafeHwnd();
  return nullptr;
}

// The dialog is created modeless and given its own loop, so that the loop
// can turn F1 into the help command before the dialog manager sees it.
INT_PTR CDialog::DoModal() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(m_nIDTemplate), RT_DIALOG);
  HGLOBAL loaded = resource ? ::LoadResource(instance, resource) : nullptr;
  auto* dialogTemplate = static_cast<LPCDLGTEMPLATEW>(loaded ? ::LockResource(loaded) : nullptr);
  if (!dialogTemplate) return -1;

  m_hModalOwner = ModalOwner();
  m_hOwnerDisabled = m_hModalOwner && ::IsWindowEnabled(m_hModalOwner) ? m_hModalOwner : nullptr;
  if (m_hOwnerDisabled) ::EnableWindow(m_hOwnerDisabled, FALSE);

  m_nModalResult = -1;
  m_bInModalLoop = true;
  m_bDismissed = false;
  HWND dialog = ::CreateDialogIndirectParamW(instance, dialogTemplate, m_hModalOwner, &CDialog::DialogProc,
                                             reinterpret_cast<LPARAM>(this));
  if (dialog) {
    RunModalLoop();
    Dismiss();
    ::DestroyWindow(dialog);
  } else if (m_hOwnerDisabled) {
    ::EnableWindow(m_hOwnerDisabled, TRUE);
  }
  m_hOwnerDisabled = nullptr;
  m_hModalOwner = nullptr;
  m_bInModalLoop = false;
  return m_nModalResult;
}

bool CDialog::IsHelpKey(const MSG& msg) const {
  return msg.message == WM_KEYDOWN && msg.wParam == VK_F1 &&
         (msg.hwnd == m_hWnd || ::IsChild(m_hWnd, msg.hwnd)) && ::GetKeyState(VK_SHIFT) >= 0 &&
         ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_MENU) >= 0;
}

void CDialog::RunModalLoop() {
  if (m_bInModalLoop && !::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  MSG msg;
  while (m_bInModalLoop) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT belongs to an outer loop: put it back and stop.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (IsHelpKey(msg)) {
      SendMessage(WM_COMMAND, ID_HELP, 0);
      continue;
    }
    if (!::IsDialogMessageW(m_hWnd, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

// The dialog procedure only starts the object off; from then on the window
// is subclassed and messages go through the message maps.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* dialog = reinterpret_cast<CDialog*>(lParam);
  dialog->SubclassWindow(hWnd);
  return dialog->OnInitDialog();
}

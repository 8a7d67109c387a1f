#include "app/decrypt_app.h"

#include <commctrl.h>

#include "app/decrypt_dlg.h"
#include "app/decrypt_messages.h"
#include "framework/command_line.h"

BEGIN_MESSAGE_MAP(CDecryptApp, CWinApp)
  ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CDecryptApp::CDecryptApp() : CWinApp(qor::kDecryptCaption) {}

// The one application object.
CDecryptApp theApp;

BOOL CDecryptApp::InitInstance() {
  InitCommonControlsEx(ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS);

  // "Open with" and a file dropped onto the program's icon name one file;
  // the first is taken.
  const std::vector<std::string> arguments = fw::CommandLineArguments();
  CDecryptDlg dlg(arguments.empty() ? std::string() : arguments.front());
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}

void CDecryptApp::WinHelp(DWORD_PTR, UINT) {
  if (m_pMainWnd != nullptr && m_pMainWnd->GetSafeHwnd() != nullptr)
    m_pMainWnd->MessageBox(qor::kDecryptHelp, qor::kDecryptCaption, MB_OK | MB_ICONINFORMATION);
}

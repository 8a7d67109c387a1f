#include "app/cipher_app.h"

#include "app/cipher_dlg.h"
#include "app/dialog_texts.h"

BEGIN_MESSAGE_MAP(CCipherApp, CWinApp)
  ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CCipherApp::CCipherApp() = default;

// The one application object.
CCipherApp theApp;

BOOL CCipherApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControlsStatic();

  CCipherDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();

  // The dialog has closed: end the application rather than start its
  // message loop.
  return FALSE;
}

void CCipherApp::WinHelp(DWORD_PTR, UINT) {
  if (m_pMainWnd != nullptr && m_pMainWnd->GetSafeHwnd() != nullptr)
    m_pMainWnd->MessageBox(qor::kHelpMessage, qor::kHelpCaption, MB_OK);
}

// The application object: one global instance of a class derived from
// CWinApp, constructed before the program entry runs. The entry calls its
// InitInstance; when that returns FALSE the application ends at once.
#pragma once

#include "framework/wnd.h"

// The framework's help command; the modal loop sends it for F1.
#define ID_HELP 0xE146

class CWinApp : public CCmdTarget {
 public:
  // No name: the program's file name without its extension.
  explicit CWinApp(const char* lpszAppName = nullptr);
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  ~CWinApp() override;

  virtual BOOL InitInstance();
  // Runs the message loop for applications whose InitInstance returns TRUE.
  virtual int Run();
  virtual int ExitInstance();

  HICON LoadIcon(UINT nIDResource) const;

  // The help command: asks WinHelp for the main window's help.
  void OnHelp();
  // No help viewer comes with current Windows, so by default nothing is
  // shown; an application with help to offer overrides this.
  virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);

  CWnd* m_pMainWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;
  const char* m_pszAppName = "";

 protected:
  // Kept for its place in InitInstance: applies the system's current visual
  // style (Common Controls 6, as the manifest asks) to the standard controls.
  BOOL Enable3dControlsStatic();
  // Registers the common controls' classes that `dwICC` names (ICC_...).
  static BOOL InitCommonControlsEx(DWORD dwICC);

 private:
  CString m_strAppName;
};

CWinApp* AfxGetApp();

// Kept for its place in InitInstance: this framework hosts no embedded
// (ActiveX) controls, so there is nothing to enable.
void AfxEnableControlContainer();

namespace fw {
// The program entry's work, once the process is up.
int RunApplication(HINSTANCE instance);
}  // namespace fw

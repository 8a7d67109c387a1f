#include "framework/winapp.h"

#include <commctrl.h>

#include <string>

namespace {
CWinApp* g_application = nullptr;

std::string ModuleBaseName() {
  wchar_t path[MAX_PATH + 1] = {};
  DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, length);
  std::size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return fw::Narrow(name);
}
}  // namespace

CWinApp::CWinApp(const char* lpszAppName) {
  g_application = this;
  m_strAppName = lpszAppName ? CString(lpszAppName) : CString(ModuleBaseName());
  m_pszAppName = m_strAppName;
}

CWinApp::~CWinApp() {
  if (g_application == this) g_application = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ExitInstance();
  return static_cast<int>(msg.wParam);
}

int CWinApp::ExitInstance() { return 0; }

HICON CWinApp::LoadIcon(UINT nIDResource) const {
  return ::LoadIconW(m_hInstance ? m_hInstance : ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource));
}

void CWinApp::OnHelp() { WinHelp(0, HELP_CONTEXT); }

void CWinApp::WinHelp(DWORD_PTR, UINT) {}

BOOL CWinApp::Enable3dControlsStatic() { return InitCommonControlsEx(ICC_STANDARD_CLASSES); }

BOOL CWinApp::InitCommonControlsEx(DWORD dwICC) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), dwICC};
  return ::InitCommonControlsEx(&controls);
}

CWinApp* AfxGetApp() { return g_application; }

void AfxEnableControlContainer() {}

int fw::RunApplication(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->m_hInstance = instance;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}

// The framework in process: message maps, the F1 route, menus, strings,
// data exchange and nested modal dialogs, each inside a real modal loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/framework.h"

namespace {

constexpr int kEdit = 10;
constexpr int kButton = 11;

// Ends every modal loop if a test hangs.
void CALLBACK Guard(HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(3); }

class ProbeApp : public CWinApp {
 public:
  ProbeApp() : CWinApp("Probe") {}
  std::vector<std::string> helpCalls;
  void WinHelp(DWORD_PTR, UINT nCmd) override {
    helpCalls.push_back("help " + std::to_string(nCmd));
    if (auto* dialog = static_cast<CDialog*>(m_pMainWnd)) dialog->EndDialog(77);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeApp, CWinApp)
  ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

class ProbeDialog : public CDialog {
 public:
  ProbeDialog() : CDialog(100) {}

  std::function<void(ProbeDialog&)> onInit;
  std::vector<std::string> calls;
  CString m_strText;
  int m_nMaxChars = 5;
  bool dataExchangeOk = true;

  using CDialog::UpdateData;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, kEdit, m_strText);
    DDV_MaxChars(pDX, m_strText, m_nMaxChars);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    if (onInit) onInit(*this);
    return TRUE;
  }
  void OnSysCommand(UINT nID, LPARAM lParam) {
    calls.push_back("syscommand " + std::to_string(nID) + " " + std::to_string(lParam));
  }
  HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(static_cast<INT_PTR>(0x4321)); }
  void OnUpdateEdit() { calls.push_back("update"); }
  void OnPress() { calls.push_back("press"); }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeDialog, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_QUERYDRAGICON()
  ON_EN_UPDATE(kEdit, OnUpdateEdit)
  ON_BN_CLICKED(kButton, OnPress)
END_MESSAGE_MAP()

class Framework : public ::testing::Test {
 protected:
  void SetUp() override { guard_ = ::SetTimer(nullptr, 0, 10000, &Guard); }
  void TearDown() override {
    ::KillTimer(nullptr, guard_);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  INT_PTR Run(ProbeDialog& dialog) {
    app.m_pMainWnd = &dialog;
    return dialog.DoModal();
  }
  ProbeApp app;
  UINT_PTR guard_ = 0;
};

TEST_F(Framework, MessageMapRowsMatchMessageCodeAndId) {
  ProbeDialog dialog;
  LRESULT dragIcon = 0;
  dialog.onInit = [&](ProbeDialog& d) {
    d.calls.clear();  // the loading data exchange has set the edit's text
    d.SendMessage(WM_COMMAND, MAKEWPARAM(kEdit, EN_CHANGE), 0);
    d.SendMessage(WM_COMMAND, MAKEWPARAM(kEdit, EN_UPDATE), 0);
    d.SendMessage(WM_COMMAND, MAKEWPARAM(kButton, BN_CLICKED), 0);
    d.SendMessage(WM_COMMAND, MAKEWPARAM(kEdit, BN_CLICKED), 0);
    d.SendMessage(WM_SYSCOMMAND, 0x0013, 7);
    dragIcon = d.SendMessage(WM_QUERYDRAGICON, 0, 0);
    d.EndDialog(IDCANCEL);
  };
  EXPECT_EQ(Run(dialog), IDCANCEL);
  EXPECT_EQ(dialog.calls, (std::vector<std::string>{"update", "press", "syscommand 19 7"}));
  EXPECT_EQ(dragIcon, 0x4321);
}

TEST_F(Framework, IdOkAndIdCancelReachTheBaseDialog) {
  ProbeDialog dialog;
  dialog.onInit = [](ProbeDialog& d) { ::PostMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); };
  EXPECT_EQ(Run(dialog), IDOK);
  ProbeDialog closed;
  closed.onInit = [](ProbeDialog& d) { ::PostMessageW(d.m_hWnd, WM_CLOSE, 0, 0); };
  EXPECT_EQ(Run(closed), IDCANCEL);
}

TEST_F(Framework, F1ReachesTheApplicationsHelp) {
  ProbeDialog dialog;
  dialog.onInit = [](ProbeDialog& d) { ::PostMessageW(d.GetDlgItem(kEdit), WM_KEYDOWN, VK_F1, 1); };
  EXPECT_EQ(Run(dialog), 77);
  EXPECT_EQ(app.helpCalls, std::vector<std::string>{"help " + std::to_string(HELP_CONTEXT)});
}

TEST_F(Framework, F1WithShiftIsNotHelp) {
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  ProbeDialog dialog;
  dialog.onInit = [](ProbeDialog& d) {
    ::PostMessageW(d.GetDlgItem(kEdit), WM_KEYDOWN, VK_F1, 1);
    ::PostMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  };
  EXPECT_EQ(Run(dialog), IDCANCEL);
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
  EXPECT_TRUE(app.helpCalls.empty());
}

TEST_F(Framework, SystemMenuTakesAppendedItemsAndStringsLoad) {
  ProbeDialog dialog;
  std::wstring itemText;
  int added = 0;
  CString loaded, missing;
  BOOL loadedOk = FALSE, missingOk = TRUE;
  dialog.onInit = [&](ProbeDialog& d) {
    loadedOk = loaded.LoadString(200);
    missingOk = missing.LoadString(201);
    CMenu* menu = d.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    int before = ::GetMenuItemCount(menu->m_hMenu);
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, 0x0010, loaded);
    added = ::GetMenuItemCount(menu->m_hMenu) - before;
    wchar_t text[64] = {};
    ::GetMenuStringW(menu->m_hMenu, 0x0010, text, 64, MF_BYCOMMAND);
    itemText = text;
    d.EndDialog(IDCANCEL);
  };
  Run(dialog);
  EXPECT_TRUE(loadedOk);
  EXPECT_EQ(loaded, "Se\xc3\xb1or &Item...");
  EXPECT_FALSE(missingOk);
  EXPECT_TRUE(missing.IsEmpty());
  EXPECT_EQ(added, 2);
  EXPECT_EQ(itemText, L"Se\u00f1or &Item...");
}

TEST_F(Framework, DataExchangeLoadsLimitsAndSavesInCharacters) {
  ProbeDialog dialog;
  dialog.m_strText = "abc";
  std::wstring shown;
  LRESULT limit = 0;
  BOOL saved = FALSE;
  dialog.onInit = [&](ProbeDialog& d) {
    wchar_t text[32] = {};
    ::GetWindowTextW(d.GetDlgItem(kEdit), text, 32);
    shown = text;
    limit = ::SendMessageW(d.GetDlgItem(kEdit), EM_GETLIMITTEXT, 0, 0);
    // Five characters, seven bytes of UTF-8: within a limit of five.
    ::SetWindowTextW(d.GetDlgItem(kEdit), L"\u00f1and\u00fa");
    saved = d.UpdateData(TRUE);
    d.EndDialog(IDCANCEL);
  };
  Run(dialog);
  EXPECT_EQ(shown, L"abc");
  EXPECT_EQ(limit, 5);
  EXPECT_TRUE(saved);
  EXPECT_EQ(dialog.m_strText, "\xc3\xb1" "and\xc3\xba");
}

TEST_F(Framework, ASecondDialogIsModalToTheMainWindow) {
  ProbeDialog outer;
  HWND owner = nullptr, outerWindow = nullptr;
  BOOL outerEnabledDuring = TRUE, outerEnabledAfter = FALSE;
  INT_PTR innerResult = 0;
  outer.onInit = [&](ProbeDialog& o) {
    outerWindow = o.m_hWnd;
    ProbeDialog inner;
    inner.onInit = [&](ProbeDialog& i) {
      owner = ::GetWindow(i.m_hWnd, GW_OWNER);
      outerEnabledDuring = ::IsWindowEnabled(o.m_hWnd);
      ::PostMessageW(i.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    innerResult = inner.DoModal();
    outerEnabledAfter = ::IsWindowEnabled(o.m_hWnd);
    o.EndDialog(IDCANCEL);
  };
  EXPECT_EQ(Run(outer), IDCANCEL);
  EXPECT_EQ(innerResult, IDOK);
  EXPECT_EQ(owner, outerWindow);
  EXPECT_FALSE(outerEnabledDuring);
  EXPECT_TRUE(outerEnabledAfter);
}

}  // namespace

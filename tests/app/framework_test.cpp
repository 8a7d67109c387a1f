// The framework in process: message maps, the F1 route, menus, strings,
// data exchange and nested modal dialogs, each inside a real modal loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/dropped_files.h"
#include "framework/framework.h"

#include <shlobj.h>  // DROPFILES

namespace {

constexpr int kEdit = 10;
constexpr int kButton = 11;
constexpr UINT kPostedMessage = WM_APP + 7;

struct Posted {
  int number;
  std::string text;
};

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
  std::function<void(ProbeDialog&)> onPosted;
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
  void OnPosted(const Posted& posted) {
    calls.push_back("posted " + std::to_string(posted.number) + " " + posted.text);
    if (onPosted) onPosted(*this);
  }
  void OnDropFiles(HDROP hDropInfo) {
    for (const std::string& name : fw::DroppedFileNames(hDropInfo)) calls.push_back("dropped " + name);
  }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeDialog, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_QUERYDRAGICON()
  ON_EN_UPDATE(kEdit, OnUpdateEdit)
  ON_BN_CLICKED(kButton, OnPress)
  ON_POSTED(kPostedMessage, OnPosted)
  ON_WM_DROPFILES()
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

// A loop that is not the dialog's, as a chooser's or a message box's.
bool g_nestedDone = false;
ProbeDialog* g_ending = nullptr;
BOOL g_visibleAfterEnd = TRUE;

void CALLBACK EndFromNestedLoop(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  g_ending->EndDialog(5);
  g_visibleAfterEnd = ::IsWindowVisible(g_ending->m_hWnd);
  g_nestedDone = true;
}

void CALLBACK RunNestedLoop(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  ::SetTimer(nullptr, 0, 10, &EndFromNestedLoop);
  MSG msg;
  while (!g_nestedDone && ::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
}

TEST_F(Framework, EndDialogHidesTheDialogAtOnceInsideAnotherLoop) {
  ProbeDialog dialog;
  g_ending = &dialog;
  g_nestedDone = false;
  dialog.onInit = [](ProbeDialog&) { ::SetTimer(nullptr, 0, 10, &RunNestedLoop); };
  EXPECT_EQ(Run(dialog), 5);
  EXPECT_TRUE(g_nestedDone);
  EXPECT_FALSE(g_visibleAfterEnd) << "still on the screen until the other loop returns";
}

// A plain top-level window that counts the times it was activated.
int g_bystanderActivations = 0;

LRESULT CALLBACK BystanderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) ++g_bystanderActivations;
  return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(Framework, ClosingANestedDialogActivatesItsOwnerAndNoOtherWindow) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &BystanderProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QorBystander";
  ::RegisterClassW(&windowClass);
  HWND bystander = ::CreateWindowExW(0, L"QorBystander", L"Bystander", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                     100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(bystander, nullptr);

  ProbeDialog outer;
  HWND activeAfter = nullptr, outerWindow = nullptr;
  int activationsWhileClosing = -1;
  outer.onInit = [&](ProbeDialog& o) {
    outerWindow = o.m_hWnd;
    ::SetActiveWindow(o.m_hWnd);
    ProbeDialog inner;
    inner.onInit = [&](ProbeDialog& i) { ::PostMessageW(i.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); };
    // Shown, then ended from its own loop.
    g_bystanderActivations = 0;
    inner.DoModal();
    activationsWhileClosing = g_bystanderActivations;
    activeAfter = ::GetActiveWindow();
    o.EndDialog(IDCANCEL);
  };
  Run(outer);
  ::DestroyWindow(bystander);
  EXPECT_EQ(activeAfter, outerWindow);
  EXPECT_EQ(activationsWhileClosing, 0) << "another window was activated while the owner was still disabled";
}

TEST_F(Framework, PostedDataReachesItsTypedHandlerFromAnotherThread) {
  ProbeDialog dialog;
  std::thread sender;
  dialog.onInit = [&](ProbeDialog& d) {
    d.calls.clear();  // the loading data exchange's
    HWND window = d.m_hWnd;
    sender = std::thread([window] {
      fw::PostData(window, kPostedMessage, Posted{1, "uno"});
      fw::PostData(window, kPostedMessage, Posted{2, "dos"});
    });
  };
  dialog.onPosted = [](ProbeDialog& d) {
    if (d.calls.size() == 2) d.EndDialog(IDOK);
  };
  EXPECT_EQ(Run(dialog), IDOK);
  sender.join();
  EXPECT_EQ(dialog.calls, (std::vector<std::string>{"posted 1 uno", "posted 2 dos"}));
  EXPECT_FALSE(fw::PostData(nullptr, kPostedMessage, Posted{3, "to no window"}));
}

// A drop of two files as the shell hands it over: a DROPFILES header and
// the names, each ended by a zero, the list by another.
HDROP MakeDrop(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const std::wstring& name : names) list += name + L'\0';
  list += L'\0';
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(header + 1));
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

TEST_F(Framework, DroppedFilesArriveAsUtf8Names) {
  ProbeDialog dialog;
  dialog.onInit = [](ProbeDialog& d) {
    d.calls.clear();
    // The handler releases the drop.
    d.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"C:\\datos\\a\u00f1o.txt.qor", L"C:\\b.qor"})), 0);
    d.EndDialog(IDCANCEL);
  };
  Run(dialog);
  EXPECT_EQ(dialog.calls,
            (std::vector<std::string>{"dropped C:\\datos\\a\xc3\xb1o.txt.qor", "dropped C:\\b.qor"}));
}

// The key's bytes as a narrow edit would give them: Windows-1252 where it
// has the character, else the system's closest letter, else "?".
TEST(NarrowToCodePage, GivesTheSystemsWindows1252Bytes) {
  const struct {
    const char* utf8;
    const char* expected;
  } cases[] = {
      {"a\xc3\xb1\xc3\x91", "a\xf1\xd1"},            // ñ Ñ
      {"\xe2\x82\xac\xc5\x92", "\x80\x8c"},         // € Œ, from the 0x80 row
      {"\xc4\x80\xc4\x8d", "Ac"},                      // Ā č: best fit, not "?"
      {"\xe4\xb8\xad", "?"},                           // 中: no close letter
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fw::NarrowToCodePage(c.utf8, 1252), c.expected) << c.utf8;
  }
}

}  // namespace

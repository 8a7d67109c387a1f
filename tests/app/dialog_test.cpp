// The main dialog in process, where its system menu and icons can be read:
// menus and icons belong to their process under Wine.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/cipher_dlg.h"
#include "res/resource.h"

namespace {

// What to do once the dialog is up and its loop idle; then it is cancelled.
std::function<void(HWND)> g_whileShown;

void CALLBACK WhileShown(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  HWND dialog = AfxGetApp()->m_pMainWnd->GetSafeHwnd();
  if (g_whileShown) g_whileShown(dialog);
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Ends every modal loop if a test hangs.
void CALLBACK Guard(HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(3); }

void RunDialog(std::function<void(HWND)> whileShown) {
  g_whileShown = std::move(whileShown);
  UINT_PTR guard = ::SetTimer(nullptr, 0, 10000, &Guard);
  ::SetTimer(nullptr, 0, 10, &WhileShown);
  CCipherDlg dlg;
  AfxGetApp()->m_pMainWnd = &dlg;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  AfxGetApp()->m_pMainWnd = nullptr;
  ::KillTimer(nullptr, guard);
  g_whileShown = nullptr;
}

std::wstring MenuItemText(HMENU menu, int position) {
  wchar_t text[128] = {};
  ::GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
  return text;
}

TEST(DialogInProcess, SystemMenuEndsWithASeparatorAndTheAboutItem) {
  std::vector<UINT> ids;
  std::vector<bool> separators;
  std::wstring lastText;
  bool closeKept = false;
  RunDialog([&](HWND dialog) {
    HMENU menu = ::GetSystemMenu(dialog, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 3);
    for (int i = count - 2; i < count; ++i) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_ID;
      ASSERT_TRUE(::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
      ids.push_back(info.wID);
      separators.push_back((info.fType & MFT_SEPARATOR) != 0);
    }
    lastText = MenuItemText(menu, count - 1);
    closeKept = ::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) != static_cast<UINT>(-1);
  });
  ASSERT_EQ(separators.size(), 2u);
  EXPECT_TRUE(separators[0]);
  EXPECT_FALSE(separators[1]);
  EXPECT_EQ(ids[1], static_cast<UINT>(IDM_ABOUTBOX));
  EXPECT_EQ(lastText, L"&About QOR Peldar Windows Version...");
  EXPECT_TRUE(closeKept) << "the system's own items stay";
}

TEST(DialogInProcess, TheApplicationIconIsBothWindowIconsAndTheDragIcon) {
  HICON expected = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
  LRESULT big = 0, small = 0, drag = 0;
  RunDialog([&](HWND dialog) {
    big = ::SendMessageW(dialog, WM_GETICON, ICON_BIG, 0);
    small = ::SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0);
    drag = ::SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0);
  });
  ASSERT_NE(expected, nullptr);
  EXPECT_EQ(big, reinterpret_cast<LRESULT>(expected));
  EXPECT_EQ(small, reinterpret_cast<LRESULT>(expected));
  EXPECT_EQ(drag, reinterpret_cast<LRESULT>(expected));
}

// The WM_ICONERASEBKGND messages sent on this thread, by their arguments.
std::vector<std::pair<WPARAM, LPARAM>> g_iconErases;

LRESULT CALLBACK RecordIconErase(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_ICONERASEBKGND)
    g_iconErases.emplace_back(message->wParam, message->lParam);
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(DialogInProcess, OnlyTheMinimizedDialogPaintsItsIcon) {
  HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &RecordIconErase, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  g_iconErases.clear();
  std::size_t whileNormal = 0;
  bool iconic = false;
  RunDialog([&](HWND dialog) {
    ::SendMessageW(dialog, WM_PAINT, 0, 0);
    whileNormal = g_iconErases.size();
    ::ShowWindow(dialog, SW_MINIMIZE);
    iconic = ::IsIconic(dialog) != FALSE;
    g_iconErases.clear();
    ::SendMessageW(dialog, WM_PAINT, 0, 0);
  });
  ::UnhookWindowsHookEx(hook);
  EXPECT_EQ(whileNormal, 0u);
  ASSERT_TRUE(iconic);
  ASSERT_FALSE(g_iconErases.empty()) << "the minimized branch erases the icon's background";
  EXPECT_NE(g_iconErases[0].first, 0u) << "with the paint context's device";
  EXPECT_EQ(g_iconErases[0].second, 0);
}

}  // namespace

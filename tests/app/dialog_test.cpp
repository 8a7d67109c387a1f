// The main dialog in process, where its system menu can be read: menus
// belong to their process under Wine.
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

}  // namespace

// The application object: shows the main dialog and ends when it closes.
#pragma once

#include "framework/framework.h"

class CCipherApp : public CWinApp {
 public:
  CCipherApp();

  BOOL InitInstance() override;
  // F1's help: the help message of the "&Ayudar" button, in the same box.
  void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT) override;

  DECLARE_MESSAGE_MAP()
};

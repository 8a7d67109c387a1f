// The decryption program's application object: shows its dialog, with the
// file named on the command line filled in, and ends when it closes.
#pragma once

#include "framework/framework.h"

class CDecryptApp : public CWinApp {
 public:
  CDecryptApp();

  BOOL InitInstance() override;
  // F1: the program's help, in the help button's box.
  void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT) override;

  DECLARE_MESSAGE_MAP()
};

// The application object: shows the main dialog and ends when it closes.
#pragma once

#include "framework/framework.h"

class CCipherApp : public CWinApp {
 public:
  CCipherApp();

  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

// The About box that the main dialog's system-menu item opens: the icon,
// the program's name and version, and OK.
#pragma once

#include "framework/framework.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

  enum { IDD = IDD_ABOUTBOX };

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

  DECLARE_MESSAGE_MAP()
};

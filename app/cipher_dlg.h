// The main dialog: the user's entries (file, key, method), the buttons that
// choose a file and run encryption jobs, and the informational side: the
// About item of its system menu, the two message buttons and its icon.
#pragma once

#include "framework/framework.h"
#include "res/resource.h"

class CCipherDlg : public CDialog {
 public:
  explicit CCipherDlg(CWnd* pParent = nullptr);
  ~CCipherDlg() override;

  enum { IDD = IDD_MAIN_DIALOG };

  // The entries the encryption job reads.
  int m_bFrequency;
  int m_bFibonacci;
  BOOL m_bFileChosen;
  CString m_strKey;
  CString m_strFileName;

 protected:
  HICON m_hIcon;

  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnSelectFile();
  void OnEncrypt();
  void OnFibonacci();
  void OnFrequency();
  void OnUpdateKey();
  void OnAboutButton();
  void OnHelpButton();

  DECLARE_MESSAGE_MAP()
};

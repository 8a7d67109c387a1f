// Modal dialogs on dialog-template resources, and the data exchange between
// a dialog's controls and its members.
#pragma once

#include "framework/wnd.h"

class CDialog;

// One run of a dialog's DoDataExchange, loading (controls from members) or
// saving and validating (members from controls). A failed validation stops
// the rest of the run.
class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
      : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  HWND m_hWndLastControl = nullptr;
  bool m_bFailed = false;

  HWND PrepareEditCtrl(int nIDC);
  // Puts the focus on the last prepared edit with all its text selected,
  // and marks the run failed.
  void Fail();
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Loading limits the last prepared edit to nChars characters; saving refuses
// a longer value with the framework's message.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
      : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

  // Shows the dialog and runs its modal loop; returns what EndDialog was
  // given, or -1 if the dialog could not be created.
  virtual INT_PTR DoModal();
  // Hides the dialog at once and gives its owner back; DoModal returns
  // once control is back in its loop.
  void EndDialog(int nResult);
  // FALSE when a validation failed.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  // Moves the focus to a control as the Tab key would, default button included.
  void GotoDlgCtrl(HWND hWndCtrl) { SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hWndCtrl), TRUE); }

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  DECLARE_MESSAGE_MAP()

 private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND ModalOwner() const;
  void RunModalLoop();
  void Dismiss();
  bool IsHelpKey(const MSG& msg) const;

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  bool m_bInModalLoop = false;
  bool m_bDismissed = false;
  HWND m_hModalOwner = nullptr;
  HWND m_hOwnerDisabled = nullptr;  // disabled by DoModal, to enable again
  INT_PTR m_nModalResult = -1;
};

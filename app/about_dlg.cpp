#include "app/about_dlg.h"

// No parent: the framework makes it modal to the main dialog.
CAboutDlg::CAboutDlg() : CDialog(CAboutDlg::IDD) {}

// Nothing to exchange: the box only shows its template.
void CAboutDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

// OK, Enter, Escape and the close box end it through CDialog's map.
BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

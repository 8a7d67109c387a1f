#include "app/cipher_dlg.h"

#include "app/about_dlg.h"
#include "app/dialog_job_host.h"
#include "app/icon_position.h"
#include "app/dialog_texts.h"
#include "cipher/key_mixing.h"
#include "job/encryption_job.h"

CCipherDlg::CCipherDlg(CWnd* pParent) : CDialog(CCipherDlg::IDD, pParent) {
  m_strKey = "";
  m_strFileName = "";
  m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
  m_bFibonacci = 0;
  m_bFrequency = 0;
  m_bFileChosen = FALSE;
}

CCipherDlg::~CCipherDlg() = default;

void CCipherDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_KEY, m_strKey);
  DDV_MaxChars(pDX, m_strKey, qor::kMaxKeyLength);
  DDX_Text(pDX, IDC_FILE_NAME, m_strFileName);
}

BEGIN_MESSAGE_MAP(CCipherDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_SELECT_FILE, OnSelectFile)
  ON_BN_CLICKED(IDC_ENCRYPT, OnEncrypt)
  ON_BN_CLICKED(IDC_FIBONACCI, OnFibonacci)
  ON_BN_CLICKED(IDC_FREQUENCY, OnFrequency)
  ON_EN_UPDATE(IDC_KEY, OnUpdateKey)
  ON_BN_CLICKED(IDC_ABOUT_BUTTON, OnAboutButton)
  ON_BN_CLICKED(IDC_HELP_BUTTON, OnHelpButton)
END_MESSAGE_MAP()

BOOL CCipherDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  // The system keeps the low four bits of a system command for itself, and
  // its own commands start at 0xF000.
  ASSERT((IDM_ABOUTBOX & 0xFFF0) == IDM_ABOUTBOX);
  ASSERT(IDM_ABOUTBOX < 0xF000);

  CMenu* pSysMenu = GetSystemMenu(FALSE);
  if (pSysMenu != nullptr) {
    CString strAboutMenu;
    strAboutMenu.LoadString(IDS_ABOUTBOX);
    if (!strAboutMenu.IsEmpty()) {
      pSysMenu->AppendMenu(MF_SEPARATOR);
      pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  return TRUE;  // the dialog manager focuses the first tab stop, "Aca&bado"
}

void CCipherDlg::OnOK() { CDialog::OnOK(); }

void CCipherDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

// Minimized, the dialog paints its icon centred in what is left of its
// client area; otherwise the default painting.
void CCipherDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

  const int cxIcon = ::GetSystemMetrics(SM_CXICON);
  const int cyIcon = ::GetSystemMetrics(SM_CYICON);
  CRect rect;
  GetClientRect(&rect);
  dc.DrawIcon(qor::CentredIconOrigin(rect.Width(), cxIcon), qor::CentredIconOrigin(rect.Height(), cyIcon), m_hIcon);
}

// The cursor shown while the minimized dialog is dragged.
HCURSOR CCipherDlg::OnQueryDragIcon() { return m_hIcon; }

void CCipherDlg::OnSelectFile() {
  wchar_t fileName[260] = {};
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;  // the classic 76 bytes on 32-bit
  ofn.hwndOwner = nullptr;  // no owner: the dialog stays usable meanwhile
  ofn.lpstrFilter = L"All Files (*.*)\0*.*\0";
  ofn.nFilterIndex = 0;
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = 260;
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  ofn.lpstrDefExt = L"txt";
  if (!::GetOpenFileNameW(&ofn)) return;

  m_bFileChosen = TRUE;
  SetDlgItemText(IDC_FILE_NAME, fw::Narrow(fileName).c_str());
}

void CCipherDlg::OnEncrypt() {
  CDialogJobHost host(*this);
  qor::EncryptionJob(host).Run();
}

void CCipherDlg::OnFibonacci() {
  m_bFibonacci = 1;
  m_bFrequency = 0;
}

void CCipherDlg::OnFrequency() {
  m_bFibonacci = 0;
  m_bFrequency = 1;
}

void CCipherDlg::OnUpdateKey() { GetDlgItemText(IDC_KEY, m_strKey); }

void CCipherDlg::OnAboutButton() { MessageBox(qor::kAboutMessage, qor::kAboutCaption, MB_OK); }

void CCipherDlg::OnHelpButton() { MessageBox(qor::kHelpMessage, qor::kHelpCaption, MB_OK); }

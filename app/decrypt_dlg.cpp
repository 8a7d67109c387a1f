#include "app/decrypt_dlg.h"

#include <cerrno>
#include <cstring>

#include "app/key_bytes.h"
#include "framework/file_dialog.h"
#include "framework/system_error.h"
#include "job/file_names.h"

namespace {

constexpr char kEncryptedFilter[] = "Archivos cifrados (*.qor)|*.qor|Todos los archivos (*.*)|*.*||";
constexpr char kAllFilter[] = "Todos los archivos (*.*)|*.*||";

UINT IconType(qor::BoxIcon icon) {
  switch (icon) {
    case qor::BoxIcon::kInformation: return MB_ICONINFORMATION;
    case qor::BoxIcon::kWarning: return MB_ICONWARNING;
    case qor::BoxIcon::kError: return MB_ICONERROR;
    case qor::BoxIcon::kQuestion: return MB_ICONQUESTION;
  }
  return 0;
}

// The file passes report the C library's error numbers. The few a file
// operation meets go back to the system's codes, so that the user reads
// the system's own words, in the system's language.
std::string SystemReason(int error) {
  if (error == 0) return {};
  DWORD code = 0;
  switch (error) {
    case ENOENT: code = ERROR_FILE_NOT_FOUND; break;
    case EACCES: code = ERROR_ACCESS_DENIED; break;
    case ENOSPC: code = ERROR_DISK_FULL; break;
    case EEXIST: code = ERROR_FILE_EXISTS; break;
    case EMFILE: code = ERROR_TOO_MANY_OPEN_FILES; break;
    case EINVAL: code = ERROR_INVALID_NAME; break;
    case EROFS: code = ERROR_WRITE_PROTECT; break;
    default: break;
  }
  std::string text = code ? fw::SystemErrorText(code) : std::string();
  return text.empty() ? std::string(std::strerror(error)) : text;
}

}  // namespace

CDecryptDlg::CDecryptDlg(std::string startFile, CWnd* pParent)
    : CDialog(CDecryptDlg::IDD, pParent), m_strStartFile(std::move(startFile)) {
  m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

void CDecryptDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_KEY, m_strKey);
  DDV_MaxChars(pDX, m_strKey, qor::kMaxKeyLength);
}

BEGIN_MESSAGE_MAP(CDecryptDlg, CDialog)
  ON_EN_CHANGE(IDC_ENCRYPTED_NAME, OnChangeEncryptedName)
  ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
  ON_BN_CLICKED(IDC_SAVE_AS, OnSaveAs)
  ON_BN_CLICKED(IDC_DECRYPT, OnDecrypt)
  ON_BN_CLICKED(IDC_VERIFY, OnVerify)
  ON_BN_CLICKED(IDC_STOP, OnStop)
  ON_BN_CLICKED(IDC_HELP_BUTTON, OnHelpButton)
  ON_WM_DROPFILES()
  ON_POSTED(qor::WM_RUN_PROGRESS, OnRunProgress)
  ON_POSTED(qor::WM_RUN_FINISHED, OnRunFinished)
END_MESSAGE_MAP()

BOOL CDecryptDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  CheckRadioButton(IDC_AUTOMATIC, IDC_FREQUENCY, IDC_AUTOMATIC);
  m_progress = CProgressCtrl(GetDlgItem(IDC_PROGRESS));
  m_progress.SetRange32(0, qor::kProgressRange);
  DragAcceptFiles(TRUE);
  if (m_strStartFile.empty()) return TRUE;  // the focus on the first field
  TakeEncryptedFile(m_strStartFile);
  GotoDlgCtrl(GetDlgItem(IDC_KEY));  // what is left to type
  return FALSE;
}

void CDecryptDlg::TakeEncryptedFile(const std::string& name) {
  m_strAutomaticOutput = qor::DecryptedNameFor(name);
  SetDlgItemText(IDC_OUTPUT_NAME, m_strAutomaticOutput.c_str());
  SetDlgItemText(IDC_ENCRYPTED_NAME, name.c_str());
}

// A typed name gets its output name too, unless the user gave one.
void CDecryptDlg::OnChangeEncryptedName() {
  CString encrypted, output;
  GetDlgItemText(IDC_ENCRYPTED_NAME, encrypted);
  GetDlgItemText(IDC_OUTPUT_NAME, output);
  if (output.GetString() != m_strAutomaticOutput) return;
  m_strAutomaticOutput = qor::DecryptedNameFor(encrypted.GetString());
  SetDlgItemText(IDC_OUTPUT_NAME, m_strAutomaticOutput.c_str());
}

void CDecryptDlg::OnBrowse() {
  CString current;
  GetDlgItemText(IDC_ENCRYPTED_NAME, current);
  CFileDialog chooser(TRUE, nullptr, current, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kEncryptedFilter, this);
  chooser.SetTitle("Elija el archivo cifrado");
  if (chooser.DoModal() == IDOK) TakeEncryptedFile(chooser.GetPathName().GetString());
}

void CDecryptDlg::OnSaveAs() {
  CString current;
  GetDlgItemText(IDC_OUTPUT_NAME, current);
  // No question here if the name exists: the run asks before replacing.
  CFileDialog chooser(FALSE, nullptr, current, OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN,
                      kAllFilter, this);
  chooser.SetTitle("Guardar el archivo descifrado como");
  if (chooser.DoModal() == IDOK) SetDlgItemText(IDC_OUTPUT_NAME, chooser.GetPathName());
}

std::optional<qor::RunRequest> CDecryptDlg::EntriesFor(qor::RunKind kind) {
  qor::RunRequest request;
  request.kind = kind;
  CString text;
  GetDlgItemText(IDC_ENCRYPTED_NAME, text);
  request.encrypted = text.GetString();
  if (request.encrypted.empty()) {
    Box(qor::NoEncryptedFileMessage());
    return std::nullopt;
  }
  if (kind == qor::RunKind::kDecrypt) {
    GetDlgItemText(IDC_OUTPUT_NAME, text);
    request.other = text.IsEmpty() ? qor::DecryptedNameFor(request.encrypted) : text.GetString();
    if (request.other.empty()) {
      Box(qor::NoOutputNameMessage());
      return std::nullopt;
    }
  }
  GetDlgItemText(IDC_KEY, m_strKey);
  if (m_strKey.IsEmpty()) {
    Box(qor::NoKeyMessage());
    return std::nullopt;
  }
  request.key = qor::CipherKey(qor::KeyBytesOf(m_strKey.GetString()));
  if (IsDlgButtonChecked(IDC_FIBONACCI)) {
    request.choice = qor::Method::kFibonacci;
  } else if (IsDlgButtonChecked(IDC_FREQUENCY)) {
    request.choice = qor::Method::kFrequency;
  }
  return request;
}

void CDecryptDlg::OnDecrypt() {
  if (m_worker.IsRunning()) return;
  if (auto request = EntriesFor(qor::RunKind::kDecrypt)) StartRun(*request);
}

void CDecryptDlg::OnVerify() {
  if (m_worker.IsRunning()) return;
  std::optional<qor::RunRequest> request = EntriesFor(qor::RunKind::kVerify);
  if (!request) return;
  // The original the user means to keep or delete; its usual name first.
  CFileDialog chooser(TRUE, nullptr, qor::DecryptedNameFor(request->encrypted).c_str(),
                      OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kAllFilter, this);
  chooser.SetTitle("Elija el archivo original con el que comparar");
  if (chooser.DoModal() != IDOK) return;
  request->other = chooser.GetPathName().GetString();
  StartRun(*request);
}

void CDecryptDlg::StartRun(const qor::RunRequest& request) {
  if (m_worker.IsRunning()) return;
  if (!m_worker.Start(m_hWnd, request)) {
    Box(qor::NoWorkerMessage());
    return;
  }
  m_progress.SetPos(0);
  SetDlgItemText(IDC_STATUS, (std::string(request.kind == qor::RunKind::kDecrypt ? "Descifrando " : "Verificando ") +
                              request.encrypted + "...")
                                 .c_str());
  ShowRunning(true);
}

void CDecryptDlg::ShowRunning(bool running) {
  for (int id : {IDC_ENCRYPTED_NAME, IDC_BROWSE, IDC_OUTPUT_NAME, IDC_SAVE_AS, IDC_KEY, IDC_AUTOMATIC,
                 IDC_FIBONACCI, IDC_FREQUENCY, IDC_DECRYPT, IDC_VERIFY})
    EnableDlgItem(id, !running);
  EnableDlgItem(IDC_STOP, running);
  // The focus never stays on a control that is greyed out.
  GotoDlgCtrl(GetDlgItem(running ? IDC_STOP : IDC_DECRYPT));
}

void CDecryptDlg::OnStop() { m_worker.Stop(); }

void CDecryptDlg::OnCancel() {
  if (!m_worker.IsRunning()) return CDialog::OnCancel();
  // The run removes what it wrote; the dialog closes when it has.
  m_bCloseWhenDone = true;
  m_worker.Stop();
}

void CDecryptDlg::OnRunProgress(const qor::RunProgress& progress) { m_progress.SetPos(progress.permille); }

void CDecryptDlg::OnRunFinished(const qor::RunOutcome& outcome) {
  m_worker.Join();
  ShowRunning(false);
  SetDlgItemText(IDC_STATUS, "");
  m_progress.SetPos(0);
  if (m_bCloseWhenDone) return EndDialog(IDCANCEL);

  if (outcome.request.kind == qor::RunKind::kDecrypt && outcome.decrypted.outputExists) {
    // Replaced only on the user's Yes; No is the default answer.
    if (Box(qor::ReplaceQuestion(outcome.request.other), MB_YESNO | MB_DEFBUTTON2) == IDYES) {
      qor::RunRequest again = outcome.request;
      again.replace = true;
      StartRun(again);
    }
    return;
  }
  if (outcome.request.kind == qor::RunKind::kDecrypt && outcome.decrypted.ok()) m_progress.SetPos(qor::kProgressRange);
  Box(qor::OutcomeMessage(outcome, SystemReason(outcome.error())));
  m_progress.SetPos(0);
}

void CDecryptDlg::OnHelpButton() { MessageBox(qor::kDecryptHelp, qor::kDecryptCaption, MB_OK | MB_ICONINFORMATION); }

void CDecryptDlg::OnDropFiles(HDROP hDropInfo) {
  if (m_worker.IsRunning()) return;
  const std::vector<std::string> names = fw::DroppedFileNames(hDropInfo);
  if (!names.empty()) TakeEncryptedFile(names.front());
}

int CDecryptDlg::Box(const qor::BoxMessage& message, UINT extraType) {
  return MessageBox(message.text.c_str(), qor::kDecryptCaption, IconType(message.icon) | extraType);
}

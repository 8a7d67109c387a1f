// The decryption program's dialog: the encrypted file, where its decrypted
// copy goes, the key and the method; decrypting or verifying on a worker
// thread with a progress bar and a button that stops the run.
#pragma once

#include <optional>
#include <string>

#include "app/decrypt_messages.h"
#include "app/decrypt_worker.h"
#include "framework/dropped_files.h"
#include "framework/framework.h"
#include "framework/progress_ctrl.h"
#include "res/decrypt_resource.h"

class CDecryptDlg : public CDialog {
 public:
  // `startFile`, when not empty, is filled in as the encrypted file.
  explicit CDecryptDlg(std::string startFile = {}, CWnd* pParent = nullptr);

  enum { IDD = IDD_DECRYPT_DIALOG };

 protected:
  HICON m_hIcon;
  CString m_strKey;

  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // Escape, "&Cerrar" and the close box; during a run, they stop it first.
  void OnCancel() override;

  void OnChangeEncryptedName();
  void OnBrowse();
  void OnSaveAs();
  void OnDecrypt();
  void OnVerify();
  void OnStop();
  void OnHelpButton();
  void OnDropFiles(HDROP hDropInfo);
  void OnRunProgress(const qor::RunProgress& progress);
  void OnRunFinished(const qor::RunOutcome& outcome);

  DECLARE_MESSAGE_MAP()

 private:
  // The encrypted file's name in its edit, and its decrypted name beside it.
  void TakeEncryptedFile(const std::string& name);
  // The entries both runs need; null (after saying why) when one is missing.
  std::optional<qor::RunRequest> EntriesFor(qor::RunKind kind);
  void StartRun(const qor::RunRequest& request);
  // Greys out what must not change during a run; "Cancelar" the other way.
  void ShowRunning(bool running);
  int Box(const qor::BoxMessage& message, UINT extraType = 0);

  std::string m_strStartFile;
  // The output name the dialog filled in itself; while the output edit
  // still holds it, it follows the encrypted file's name.
  std::string m_strAutomaticOutput;
  CProgressCtrl m_progress;
  qor::CRunWorker m_worker;
  bool m_bCloseWhenDone = false;
};

// Runs the decryption program's runs on a thread of their own, one at a
// time, so that the window stays responsive. The worker tells the window how
// far it has come and how the run ended by posted messages; it never touches
// the window itself.
#pragma once

#include <atomic>
#include <thread>

#include "app/decrypt_run.h"
#include "framework/framework.h"

namespace qor {

// Posted with a RunProgress while a run goes, and with its RunOutcome once.
inline constexpr UINT WM_RUN_PROGRESS = WM_APP + 1;
inline constexpr UINT WM_RUN_FINISHED = WM_APP + 2;

// How far the run has come, in thousandths of its input.
struct RunProgress {
  int permille = 0;
};
inline constexpr int kProgressRange = 1000;

class CRunWorker {
 public:
  CRunWorker() = default;
  CRunWorker(const CRunWorker&) = delete;
  CRunWorker& operator=(const CRunWorker&) = delete;
  // Stops a run still going and waits for it.
  ~CRunWorker();

  // False while another run goes, or when the system gives no thread.
  bool Start(HWND window, const RunRequest& request);
  // The run stops at the end of its current block and removes what it wrote.
  void Stop() { m_stop = true; }
  bool IsRunning() const { return m_thread.joinable(); }
  // Once WM_RUN_FINISHED has arrived: the thread has posted it and ends.
  void Join();

 private:
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
};

}  // namespace qor

#include "app/decrypt_worker.h"

#include <system_error>

#include "framework/posted_message.h"

namespace qor {

CRunWorker::~CRunWorker() {
  Stop();
  Join();
}

bool CRunWorker::Start(HWND window, const RunRequest& request) {
  if (IsRunning()) return false;
  m_stop = false;
  auto run = [this, window, request] {
    int posted = -1;
    const Progress progress = [&](std::int64_t done, std::int64_t total) {
      const int permille = total > 0 ? static_cast<int>(done * kProgressRange / total) : kProgressRange;
      // One message per visible step, however small the blocks.
      if (permille != posted) {
        posted = permille;
        fw::PostData(window, WM_RUN_PROGRESS, RunProgress{permille});
      }
      return !m_stop.load();
    };
    fw::PostData(window, WM_RUN_FINISHED, ExecuteRun(request, progress));
  };
  try {
    m_thread = std::thread(std::move(run));
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void CRunWorker::Join() {
  if (m_thread.joinable()) m_thread.join();
}

}  // namespace qor

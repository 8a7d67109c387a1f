#include "cipher/block_pipeline.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace qor {

struct LanePair::Worker {
  std::mutex mutex;
  std::condition_variable changed;
  void (*task)(void*) = nullptr;  // handed over, not yet finished
  void* context = nullptr;
  bool done = false;
  std::thread thread;

  Worker() : thread([this] { Run(); }) {}

  void Run() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return task != nullptr || done; });
      if (task == nullptr) return;
      lock.unlock();
      task(context);
      lock.lock();
      task = nullptr;
      changed.notify_all();
    }
  }
};

std::array<std::uint32_t, 256> CountBytes(const std::uint8_t* bytes, std::size_t count) {
  // Four tables in turn, so that a run of equal bytes does not wait on the
  // increment before.
  std::array<std::array<std::uint32_t, 256>, 4> part{};
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    ++part[0][bytes[i]];
    ++part[1][bytes[i + 1]];
    ++part[2][bytes[i + 2]];
    ++part[3][bytes[i + 3]];
  }
  for (; i < count; ++i) ++part[0][bytes[i]];
  std::array<std::uint32_t, 256> total{};
  for (int b = 0; b < 256; ++b) total[b] = part[0][b] + part[1][b] + part[2][b] + part[3][b];
  return total;
}

LanePair::LanePair(const BlockPlan& plan, std::int64_t input) {
  if (!plan.twoThreads || std::thread::hardware_concurrency() < 2 || input <= static_cast<std::int64_t>(plan.lane))
    return;
  try {
    worker_ = std::make_unique<Worker>();
  } catch (const std::system_error&) {
    worker_.reset();  // no thread to be had: both lanes on this one
  }
}

LanePair::~LanePair() {
  if (!worker_) return;
  {
    std::lock_guard lock(worker_->mutex);
    worker_->done = true;
  }
  worker_->changed.notify_all();
  worker_->thread.join();
}

void LanePair::Start(void (*task)(void*), void* context) {
  {
    std::lock_guard lock(worker_->mutex);
    worker_->task = task;
    worker_->context = context;
  }
  worker_->changed.notify_all();
}

void LanePair::Wait() {
  std::unique_lock lock(worker_->mutex);
  worker_->changed.wait(lock, [this] { return worker_->task == nullptr; });
}

}  // namespace qor

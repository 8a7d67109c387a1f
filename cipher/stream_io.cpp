#include "cipher/stream_io.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#endif

namespace qor {

std::int64_t StreamSize(std::FILE* stream) {
#ifdef _WIN32
  const long long size = _filelengthi64(_fileno(stream));
  return size < 0 ? -1 : size;
#else
  struct stat st {};
  if (fstat(fileno(stream), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
#endif
}

std::size_t ReadBlock(std::FILE* stream, std::uint8_t* buffer, std::size_t count) {
  std::size_t got = 0;
  // Once the stream has ended or failed, every further byte is EOF.
  if (!std::feof(stream) && !std::ferror(stream)) got = std::fread(buffer, 1, count, stream);
  if (got < count) std::memset(buffer + got, 0xFF, count - got);
  return got;
}

struct BlockWriter::Worker {
  std::mutex mutex;
  std::condition_variable changed;
  const std::uint8_t* pending = nullptr;  // handed over, not yet written
  std::size_t count = 0;
  bool done = false;
  std::thread thread;

  explicit Worker(std::FILE* output) : thread([this, output] { Run(output); }) {}

  void Run(std::FILE* output) {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return pending != nullptr || done; });
      if (pending == nullptr) return;
      const std::uint8_t* data = pending;
      const std::size_t n = count;
      lock.unlock();
      std::fwrite(data, 1, n, output);
      lock.lock();
      pending = nullptr;
      changed.notify_all();
    }
  }

  // Hands over a buffer once the previous one has been written.
  void Hand(const std::uint8_t* data, std::size_t n) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return pending == nullptr; });
    pending = data;
    count = n;
    changed.notify_all();
  }

  void Finish() {
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [this] { return pending == nullptr; });
      done = true;
      changed.notify_all();
    }
    thread.join();
  }
};

BlockWriter::BlockWriter(std::FILE* output, std::size_t bufferSize, std::int64_t expectedTotal)
    : output_(output) {
  buffers_[0].resize(bufferSize);
  // A second thread pays off only for output of more than a few blocks.
  if (expectedTotal > static_cast<std::int64_t>(4 * bufferSize)) {
    buffers_[1].resize(bufferSize);
    try {
      worker_ = std::make_unique<Worker>(output);
    } catch (const std::system_error&) {
      worker_.reset();  // no thread to be had: write on this one
    }
  }
}

BlockWriter::~BlockWriter() {
  if (worker_) worker_->Finish();
}

void BlockWriter::Write(std::size_t count) {
  if (!worker_) {
    std::fwrite(buffers_[0].data(), 1, count, output_);
    return;
  }
  // The other buffer is free once the worker has taken this one: Hand waits
  // for the write before it, which used the other buffer.
  worker_->Hand(buffers_[current_].data(), count);
  current_ = 1 - current_;
}

}  // namespace qor

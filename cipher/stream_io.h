// Run-time library stream helpers shared by the methods.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace qor {

// The input file's size in bytes, or -1 when it cannot be determined.
std::int64_t StreamSize(std::FILE* stream);

// Reads exactly `count` bytes unless the stream ends or fails first; the
// bytes it could not read are set to 0xFF, the low 8 bits of EOF, which is
// what a byte-by-byte reader would have taken for them. Returns the number
// of bytes really read. Never asks for more than `count`, so the stream's
// end-of-file flag is set only when the file is shorter than expected.
std::size_t ReadBlock(std::FILE* stream, std::uint8_t* buffer, std::size_t count);

// Writes a method's output blocks to the stream on a second thread, so that
// the next block is worked out while the last one is being written. Two
// buffers take turns: Buffer() is the one to fill, Write() hands it over
// and returns when the other one is free again. Short outputs are written
// on the caller's thread. Everything is written when the writer is destroyed;
// the stream's error flag tells whether writing failed.
class BlockWriter {
 public:
  BlockWriter(std::FILE* output, std::size_t bufferSize, std::int64_t expectedTotal);
  ~BlockWriter();
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  std::uint8_t* Buffer() { return buffers_[current_].data(); }
  void Write(std::size_t count);

 private:
  struct Worker;
  std::FILE* output_;
  std::vector<std::uint8_t> buffers_[2];
  int current_ = 0;
  std::unique_ptr<Worker> worker_;
};

}  // namespace qor

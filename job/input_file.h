// Opening a file to be read by a method, and telling afterwards whether it
// held what its size said. Only regular files are read: a FIFO, device,
// socket or directory is refused at once, without waiting on it. The methods
// read exactly the size taken at the start, so the end is checked after
// them: a file that grew, or that reports a size its content does not have
// (as /proc files do), is a fault, never a silently shortened input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "job/file_run.h"

namespace qor {

struct OpenedInput {
  std::FILE* file = nullptr;  // "rb"; null on failure
  std::int64_t size = -1;     // the size the system gave at opening
  FileFault fault = FileFault::kNone;
  int error = 0;
};

// Opens `name` (UTF-8) for reading: kOpenInput when it cannot be opened,
// kNotRegular when it is not a regular file.
OpenedInput OpenInputFile(const std::string& name);

// How reading `input` went, after a method read it from the start:
// kRead on an error, kShrank when it ended before the size the method took,
// kGrew when it holds more than `sizeAtOpen` bytes although the method
// reached that size (a method that stopped early, on a wrong key say,
// is not taken for a grown file).
FileFault ReadFaultOf(std::FILE* input, std::int64_t sizeAtOpen);

}  // namespace qor

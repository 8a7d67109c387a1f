// Bytes in memory as the streams the engine reads, for the benchmarks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace qor::bench {

using Bytes = std::vector<std::uint8_t>;

// A temporary file holding `bytes`, rewound; the process ends if none can be made.
inline std::FILE* FileOf(const Bytes& bytes) {
  std::FILE* f = std::tmpfile();
  if (!f) std::exit(1);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fflush(f);
  std::rewind(f);
  return f;
}

}  // namespace qor::bench

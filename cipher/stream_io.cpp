#include "cipher/stream_io.h"

#include <cstring>

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

}  // namespace qor

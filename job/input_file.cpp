#include "job/input_file.h"

#include <cerrno>

#include "cipher/stream_io.h"
#include "job/text_encoding.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qor {

namespace {

#ifdef _WIN32

// The run-time library's fstat gives a disk file _S_IFREG, a console or
// other character device (NUL, CON, COM1) _S_IFCHR and a pipe _S_IFIFO, as
// GetFileType tells them apart. A directory cannot be opened as a stream
// here: it stays a file that could not be opened.
OpenedInput OpenRegular(const std::string& name) {
  OpenedInput opened;
  const std::u16string wide = Utf8ToUtf16(name);
  errno = 0;
  std::FILE* f = _wfopen(reinterpret_cast<const wchar_t*>(wide.c_str()), L"rb");
  if (f == nullptr) {
    opened.fault = FileFault::kOpenInput;
    opened.error = errno;
    return opened;
  }
  struct _stat64 st {};
  if (_fstat64(_fileno(f), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
    std::fclose(f);
    opened.fault = FileFault::kNotRegular;
    opened.error = (st.st_mode & _S_IFMT) == _S_IFDIR ? EISDIR : 0;
    return opened;
  }
  opened.file = f;
  opened.size = st.st_size;
  return opened;
}

std::int64_t Position(std::FILE* f) { return _ftelli64(f); }

#else

int NotRegularError(mode_t mode) { return S_ISDIR(mode) ? EISDIR : 0; }

// Looks at the name first, so that a device is not even opened; then opens
// without blocking (a FIFO with no writer would wait for one) and looks at
// what was opened, which may not be what the name led to a moment before.
OpenedInput OpenRegular(const std::string& name) {
  OpenedInput opened;
  struct stat st {};
  if (stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    opened.fault = FileFault::kNotRegular;
    opened.error = NotRegularError(st.st_mode);
    return opened;
  }
  const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    opened.fault = FileFault::kOpenInput;
    opened.error = errno;
    return opened;
  }
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    opened.fault = FileFault::kNotRegular;
    opened.error = NotRegularError(st.st_mode);
    close(fd);
    return opened;
  }
  const int flags = fcntl(fd, F_GETFL);
  std::FILE* f = flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? nullptr : fdopen(fd, "rb");
  if (f == nullptr) {
    opened.fault = FileFault::kOpenInput;
    opened.error = errno;
    close(fd);
    return opened;
  }
  opened.file = f;
  opened.size = static_cast<std::int64_t>(st.st_size);
  return opened;
}

std::int64_t Position(std::FILE* f) { return static_cast<std::int64_t>(ftello(f)); }

#endif

}  // namespace

OpenedInput OpenInputFile(const std::string& name) { return OpenRegular(name); }

FileFault ReadFaultOf(std::FILE* input, std::int64_t sizeAtOpen) {
  if (std::ferror(input)) return FileFault::kRead;
  if (std::feof(input)) return FileFault::kShrank;
  const std::int64_t sizeNow = StreamSize(input);
  if (sizeNow > sizeAtOpen) return FileFault::kGrew;
  if (sizeNow >= 0 && sizeNow < sizeAtOpen) return FileFault::kShrank;
  // The size held; the content must end there too. A /proc file says 0.
  if (Position(input) >= sizeAtOpen && std::fgetc(input) != EOF) return FileFault::kGrew;
  return std::ferror(input) ? FileFault::kRead : FileFault::kNone;
}

}  // namespace qor

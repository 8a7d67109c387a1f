#include "job/output_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "job/file_names.h"
#include "job/text_encoding.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#endif

namespace qor {
namespace {

// One component of a path, in the system's units: bytes here, UTF-16 units
// on Windows. Both systems allow 255.
constexpr std::size_t kNameLimit = 255;
constexpr char kTemporarySuffix[] = ".part";
constexpr int kCreateTries = 100;  // random names taken by others before we give up

std::size_t NameUnits(const std::string& utf8) {
#ifdef _WIN32
  return Utf8ToUtf16(utf8).size();
#else
  return utf8.size();
#endif
}

std::size_t BaseStart(const std::string& name) {
#ifdef _WIN32
  const std::size_t slash = name.find_last_of("/\\");
#else
  const std::size_t slash = name.find_last_of('/');
#endif
  return slash == std::string::npos ? 0 : slash + 1;
}

std::string RandomPart() {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  // Seeded from the device and the clock: some run-time libraries give a
  // device that repeats, and two runs at once must not pick alike.
  static std::mt19937_64 generator{std::random_device{}() ^
                                   static_cast<std::uint64_t>(
                                       std::chrono::high_resolution_clock::now().time_since_epoch().count())};
  std::string part(6, 'x');
  for (char& c : part) c = kAlphabet[generator() % (sizeof kAlphabet - 1)];
  return part;
}

// The pending temporary for PendingTemporaryName(): two buffers in turn, so
// that a handler reading one is not reading the one being filled.
constexpr std::size_t kPendingSize = 4096;
char pendingBuffers[2][kPendingSize];
std::atomic<const char*> pending{nullptr};
int nextBuffer = 0;

void SetPending(const std::string& name) {
  if (name.size() >= kPendingSize) return;  // left to the normal clean-up
  char* buffer = pendingBuffers[nextBuffer];
  nextBuffer ^= 1;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  pending.store(buffer);
}

void ClearPending() { pending.store(nullptr); }

void RemoveName(const std::string& name) {
#ifdef _WIN32
  _wunlink(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(name).c_str()));
#else
  unlink(name.c_str());
#endif
}

// Creates `name` for writing only if it does not exist; nullptr with errno.
std::FILE* CreateExclusive(const std::string& name, unsigned mode) {
#ifdef _WIN32
  (void)mode;  // Windows files have no permission bits to copy
  const std::u16string wide = Utf8ToUtf16(name);
  const int fd = _wopen(reinterpret_cast<const wchar_t*>(wide.c_str()), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                        _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* f = _fdopen(fd, "wb");
  if (f == nullptr) _close(fd);
#else
  const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode & 07777));
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "wb");
  if (f == nullptr) close(fd);
#endif
  return f;
}

// Renames `from` to `to`; replaces `to` only when `replace`. 0, or an errno
// value (EEXIST when `to` exists and was kept).
int RenameTo(const std::string& from, const std::string& to, bool replace) {
#ifdef _WIN32
  const std::u16string wideFrom = Utf8ToUtf16(from), wideTo = Utf8ToUtf16(to);
  if (MoveFileExW(reinterpret_cast<const wchar_t*>(wideFrom.c_str()), reinterpret_cast<const wchar_t*>(wideTo.c_str()),
                  replace ? MOVEFILE_REPLACE_EXISTING : 0))
    return 0;
  switch (GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return EEXIST;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
#else
  if (replace) return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
  // A file system without that flag: a hard link also refuses a taken name.
  if (link(from.c_str(), to.c_str()) != 0) return errno;
  unlink(from.c_str());
  return 0;
#endif
}

}  // namespace

const char* UnreplaceableKind(const std::string& name) {
  std::error_code ec;
  namespace fs = std::filesystem;
  switch (fs::symlink_status(PathOf(name), ec).type()) {
    case fs::file_type::none:
    case fs::file_type::not_found:
    case fs::file_type::regular:
      return nullptr;
    case fs::file_type::directory:
      return "a directory";
    case fs::file_type::symlink:
      return "a symbolic link";
    case fs::file_type::block:
    case fs::file_type::character:
      return "a device";
    case fs::file_type::fifo:
      return "a FIFO";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

std::string TemporaryNameFor(const std::string& finalName, const std::string& randomPart) {
  const std::size_t start = BaseStart(finalName);
  std::string base = finalName.substr(start);
  const std::size_t extra = 2 + randomPart.size() + (sizeof kTemporarySuffix - 1);
  while (!base.empty() && NameUnits(base) + extra > kNameLimit) {
    // One whole UTF-8 character off the end: its continuation bytes, then its first.
    while (base.size() > 1 && (static_cast<unsigned char>(base.back()) & 0xC0) == 0x80) base.pop_back();
    base.pop_back();
  }
  return finalName.substr(0, start) + "." + base + "." + randomPart + kTemporarySuffix;
}

const char* PendingTemporaryName() noexcept { return pending.load(); }

OutputFile::~OutputFile() { Discard(); }

FileRunResult OutputFile::Create(const std::string& finalName, unsigned mode, Replacing replacing) {
  Discard();
  if (UnreplaceableKind(finalName) != nullptr) return {FileFault::kOutputNotRegular, 0};
  std::error_code ec;
  if (replacing == Replacing::kNever && std::filesystem::exists(std::filesystem::symlink_status(PathOf(finalName), ec)))
    return {FileFault::kOutputExists, EEXIST};
  // The temporary's name fits in any case; the final one must too.
  if (NameUnits(finalName.substr(BaseStart(finalName))) > kNameLimit) return {FileFault::kOpenOutput, ENAMETOOLONG};

  for (int i = 0; i < kCreateTries; ++i) {
    const std::string temporary = TemporaryNameFor(finalName, RandomPart());
    errno = 0;
    stream_ = CreateExclusive(temporary, mode);
    if (stream_ != nullptr) {
      finalName_ = finalName;
      temporaryName_ = temporary;
      replacing_ = replacing;
      SetPending(temporary);
      return {};
    }
    if (errno != EEXIST) break;
  }
  return {FileFault::kOpenOutput, errno};
}

bool OutputFile::Close() {
  if (stream_ == nullptr) return true;
  errno = 0;
  const bool flushed = std::fflush(stream_) == 0;
  const int flushError = errno;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (!flushed) errno = flushError;
  return flushed && closed;
}

FileRunResult OutputFile::Commit() {
  if (temporaryName_.empty()) return {FileFault::kWrite, 0};
  FileRunResult result;
  // Checked again: something may have taken the name while we wrote.
  if (UnreplaceableKind(finalName_) != nullptr) {
    result = {FileFault::kOutputNotRegular, 0};
  } else if (const int error = RenameTo(temporaryName_, finalName_, replacing_ == Replacing::kRegularFile)) {
    result = {error == EEXIST && replacing_ == Replacing::kNever ? FileFault::kOutputExists : FileFault::kWrite, error};
  } else {
    ClearPending();
    temporaryName_.clear();
    return result;
  }
  Discard();
  return result;
}

void OutputFile::Discard() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!temporaryName_.empty()) {
    RemoveName(temporaryName_);
    ClearPending();
    temporaryName_.clear();
  }
}

}  // namespace qor

#include "job/file_run.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "job/file_names.h"
#include "job/input_file.h"
#include "job/text_encoding.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

namespace qor {

namespace {

// Removes an output left incomplete. Only a regular file is removed: a name
// that leads to a device (a link to one, say) is left alone.
void RemoveOutput(const std::string& name) {
  std::error_code ec;
  const std::filesystem::path path = PathOf(name);
  if (std::filesystem::is_regular_file(std::filesystem::status(path, ec))) {
    std::filesystem::remove(path, ec);
  }
}

// Creates the file for writing, refusing one that exists ("wbx", which the
// older Windows run-time library does not know).
std::FILE* CreateNewFile(const std::string& name) {
#ifdef _WIN32
  const std::u16string wide = Utf8ToUtf16(name);
  const int fd = _wopen(reinterpret_cast<const wchar_t*>(wide.c_str()), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                        _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* f = _fdopen(fd, "wb");
  if (f == nullptr) _close(fd);
  return f;
#else
  return std::fopen(name.c_str(), "wbx");
#endif
}

bool IsDirectory(const std::string& name) {
  std::error_code ec;
  return std::filesystem::is_directory(PathOf(name), ec);
}

}  // namespace

std::FILE* OpenFile(const std::string& name, const char* mode) {
#ifdef _WIN32
  const std::u16string wideName = Utf8ToUtf16(name);
  const std::u16string wideMode = Utf8ToUtf16(mode);
  return _wfopen(reinterpret_cast<const wchar_t*>(wideName.c_str()),
                 reinterpret_cast<const wchar_t*>(wideMode.c_str()));
#else
  return std::fopen(name.c_str(), mode);
#endif
}

bool IsSameFile(const std::string& first, const std::string& second) {
  std::error_code ec;
  return std::filesystem::equivalent(PathOf(first), PathOf(second), ec) && !ec;
}

FileRun::~FileRun() { Abandon(); }

void FileRun::Abandon() {
  if (output_ != nullptr) {
    std::fclose(output_);
    output_ = nullptr;
    RemoveOutput(outputName_);
  }
  if (input_ != nullptr) {
    std::fclose(input_);
    input_ = nullptr;
  }
}

bool FileRun::OpenInput(const std::string& name) {
  const OpenedInput opened = OpenInputFile(name);
  if (opened.file == nullptr) {
    result_ = {opened.fault, opened.error};
    return false;
  }
  input_ = opened.file;
  inputSize_ = opened.size;
  inputName_ = name;
  return true;
}

bool FileRun::OpenOutput(const std::string& name, bool exclusive) {
  // Opening "wb" empties the file: the input must not be behind the name.
  if (IsSameFile(name, inputName_)) {
    result_ = {FileFault::kOutputIsInput, 0};
    return false;
  }
  errno = 0;
  output_ = exclusive ? CreateNewFile(name) : OpenFile(name, "wb");
  if (output_ == nullptr) {
    result_ = {FileFault::kOpenOutput, errno};
    return false;
  }
  outputName_ = name;
  return true;
}

void FileRun::Run(const std::function<bool(std::FILE*, std::FILE*)>& method) {
  errno = 0;
  stopped_ = !method(input_, output_);
  runError_ = errno;
}

FileRunResult FileRun::Finish(bool keepOutput) {
  FileFault readFault = ReadFaultOf(input_, inputSize_);
  if (readFault == FileFault::kNone && IsDirectory(inputName_)) {
    // Some systems open a directory for reading and give it the size 0, so
    // the method read nothing and saw no error.
    readFault = FileFault::kRead;
    runError_ = EISDIR;
  }

  const bool writeFailed = std::ferror(output_) != 0;
  errno = 0;
  const bool closeFailed = std::fclose(output_) != 0;
  const int closeError = errno;
  output_ = nullptr;
  std::fclose(input_);
  input_ = nullptr;

  if (stopped_) {
    result_ = {FileFault::kStopped, 0};
  } else if (readFault != FileFault::kNone) {
    result_ = {readFault, readFault == FileFault::kRead ? runError_ : 0};
  } else if (writeFailed || closeFailed) {
    // A failed write during the run may have happened on the method's writer
    // thread, whose error number is not ours to read; only the close's is.
    result_ = {FileFault::kWrite, closeFailed ? closeError : 0};
  } else {
    result_ = {};
    if (keepOutput) return result_;
  }
  RemoveOutput(outputName_);
  return result_;
}

}  // namespace qor

#include "job/file_run.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "job/file_names.h"
#include "job/input_file.h"
#include "job/output_file.h"
#include "job/text_encoding.h"

#include <sys/stat.h>

namespace qor {

namespace {

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

FileRun::FileRun() = default;
FileRun::~FileRun() { Abandon(); }

void FileRun::Abandon() {
  output_.reset();  // removes its temporary
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

bool FileRun::OpenOutput(const std::string& name, Replacing replacing) {
  // The output must not be the input under another name, even where a
  // rename would leave the input's content alive through it.
  if (IsSameFile(name, inputName_)) {
    result_ = {FileFault::kOutputIsInput, 0};
    return false;
  }
  // Permission bits of the input; a new file's own when they are unknown.
  unsigned mode = 0666;
#ifndef _WIN32
  struct stat status;
  if (fstat(fileno(input_), &status) == 0) mode = status.st_mode & 0777;
#endif
  output_ = std::make_unique<OutputFile>();
  result_ = output_->Create(name, mode, replacing);
  if (!result_.ok()) {
    output_.reset();
    return false;
  }
  return true;
}

void FileRun::Run(const std::function<bool(std::FILE*, std::FILE*)>& method) {
  errno = 0;
  stopped_ = !method(input_, output_->stream());
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

  const bool writeFailed = std::ferror(output_->stream()) != 0;
  errno = 0;
  const bool closeFailed = !output_->Close();
  const int closeError = errno;
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
    if (keepOutput) {
      result_ = output_->Commit();
      output_.reset();
      return result_;
    }
  }
  output_.reset();
  return result_;
}

}  // namespace qor

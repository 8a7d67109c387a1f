// One pass of a method from an input file into its output file: opening both
// (the output never over the input itself), running the method, telling a
// failed read or write, closing output then input, and removing an output
// that was left incomplete. Encryption, decryption and the job all use it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace qor {

class OutputFile;
enum class Replacing;

// Opens a file by its UTF-8 name, whatever characters it holds.
std::FILE* OpenFile(const std::string& name, const char* mode);

// True when both names exist and lead to one file (links included).
bool IsSameFile(const std::string& first, const std::string& second);

enum class FileFault {
  kNone,
  kOpenInput,      // the input could not be opened
  kNotRegular,     // the input is a directory, device, FIFO or socket: not read
  kOpenOutput,     // the output could not be created
  kOutputIsInput,  // the output name leads to the input itself
  kOutputNotRegular,  // something other than a regular file has the output's name
  kOutputExists,      // the output's name is taken and replacing was not allowed
  kRead,           // reading the input failed
  kShrank,         // the input ended before the size taken at the start
  kGrew,           // the input held more than the size taken at the start
  kWrite,          // writing or closing the output failed
  kStopped,        // the caller stopped the run; the output was removed
};

struct FileRunResult {
  FileFault fault = FileFault::kNone;
  int error = 0;  // the system's error number when known, else 0
  bool ok() const { return fault == FileFault::kNone; }
  bool ReadFailed() const {
    return fault == FileFault::kRead || fault == FileFault::kShrank || fault == FileFault::kGrew;
  }
};

class FileRun {
 public:
  FileRun();
  FileRun(const FileRun&) = delete;
  FileRun& operator=(const FileRun&) = delete;
  // Whatever is still open is closed; an output not finished is removed.
  ~FileRun();

  // "rb", a regular file only (job/input_file.h). False on failure, with
  // the cause in result().
  bool OpenInput(const std::string& name);
  // After OpenInput: creates the output through a temporary beside `name`
  // (job/output_file.h), no more readable than the input. Refuses a name
  // that leads to the input, or that is not a regular file, or, unless
  // `replacing` allows it, that exists.
  bool OpenOutput(const std::string& name, Replacing replacing);

  // Runs `method` over the open streams; it returns false when it was
  // stopped before the end.
  void Run(const std::function<bool(std::FILE* input, std::FILE* output)>& method);

  // Checks both streams, closes output then input, and gives the output its
  // name; when the run failed or was stopped, or when `keepOutput` is false,
  // the output never takes its name and its temporary is removed. Returns
  // the outcome.
  FileRunResult Finish(bool keepOutput = true);

  const FileRunResult& result() const { return result_; }

 private:
  void Abandon();

  std::FILE* input_ = nullptr;
  std::unique_ptr<OutputFile> output_;
  std::int64_t inputSize_ = -1;
  std::string inputName_;
  int runError_ = 0;
  bool stopped_ = false;
  FileRunResult result_;
};

}  // namespace qor

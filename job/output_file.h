// An output being written: a temporary file created exclusively beside the
// final name, no more readable than the source, which takes the final name
// only once it is complete and closed. Until then the final name is left as
// it was; a failure or a stop removes the temporary.
#pragma once

#include <cstdio>
#include <string>

#include "job/file_run.h"

namespace qor {

// Whether an output may take the place of a file already at its name. Only
// a regular file is ever replaced; nothing else is (a symbolic link
// included: it is neither followed nor replaced).
enum class Replacing {
  kNever,        // an existing name is refused, without a window
  kRegularFile,  // an existing regular file is replaced
};

// What stands at `name` that no output replaces ("a directory", "a symbolic
// link", "a device", "a FIFO", "a socket"), or nullptr for nothing or a
// regular file.
const char* UnreplaceableKind(const std::string& name);

// The temporary's name for `finalName`: ".BASE.RANDOM.part" in the same
// folder, BASE cut (at a character's start) so that the name fits the
// system's limit for one component.
std::string TemporaryNameFor(const std::string& finalName, const std::string& randomPart);

// The temporary now being written, for a signal handler to remove; nullptr
// when none. Safe to call in a handler.
const char* PendingTemporaryName() noexcept;

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Discards what was not committed.
  ~OutputFile();

  // Creates the temporary for `finalName` with the permission bits `mode`
  // (the umask applies). Refuses a final name that is not a regular file,
  // that exists when `replacing` is kNever, or that does not fit the folder.
  FileRunResult Create(const std::string& finalName, unsigned mode, Replacing replacing);

  std::FILE* stream() const { return stream_; }

  // Flushes and closes the temporary; false when that failed, with errno set.
  bool Close();

  // After Close: gives the temporary the final name, by the rule given to
  // Create. On failure the temporary is removed; kOutputExists when the
  // name was taken meanwhile and replacing was not allowed.
  FileRunResult Commit();

  // Closes and removes the temporary, if any.
  void Discard();

 private:
  std::FILE* stream_ = nullptr;
  std::string finalName_;
  std::string temporaryName_;
  Replacing replacing_ = Replacing::kNever;
};

}  // namespace qor

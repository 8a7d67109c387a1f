#include "cli/reports.h"

#include <cstring>
#include <iostream>

#include "cli/printed_name.h"
#include "job/output_file.h"

namespace qor::cli {
namespace {

std::string SystemReason(int error, const char* otherwise) {
  return error != 0 ? std::strerror(error) : otherwise;
}

}  // namespace

const char kTooManyDrops[] =
    "reads as text with this key, but the frequency method dropped bytes at too many places to decrypt it "
    "(text with an accent every few letters, or not Windows-1252); such a file cannot be given back";

std::string FileReason(const FileRunResult& result, const std::string& outputName) {
  const std::string output = PrintedName(outputName);
  switch (result.fault) {
    case FileFault::kOpenInput:
      return "could not open it: " + SystemReason(result.error, "unknown error");
    case FileFault::kNotRegular:
      return result.error != 0 ? "not read: " + SystemReason(result.error, "")
                               : "not read: not a regular file (a device, FIFO or socket)";
    case FileFault::kOpenOutput:
      return "could not create " + output + ": " + SystemReason(result.error, "unknown error");
    case FileFault::kOutputIsInput:
      return output + " is the input file itself; not overwritten";
    case FileFault::kOutputNotRegular: {
      const char* kind = UnreplaceableKind(outputName);
      return "could not create " + output + ": it is " + (kind ? kind : "not a regular file") +
             ", and only a regular file is replaced";
    }
    case FileFault::kOutputExists:
      return output + " exists; not replaced (--force replaces it)";
    case FileFault::kRead:
      return "could not read it: " + SystemReason(result.error, "read error");
    case FileFault::kShrank:
      return "could not read it: the file became shorter while it was read";
    case FileFault::kGrew:
      return "could not read it whole: the file changed while it was read (it held more than its size)";
    case FileFault::kWrite:
      return "could not write " + output + ": " + SystemReason(result.error, "write error");
    case FileFault::kStopped:
      return "stopped before the end; " + output + " not written";
    case FileFault::kNone:
      break;
  }
  return "failed";
}

bool ReportVerify(const std::string& original, const std::string& encrypted, const VerifyOutcome& outcome) {
  if (!outcome.file.ok()) {
    Error(PrintedName(outcome.fileName) + ": " + FileReason(outcome.file, outcome.fileName));
    return false;
  }
  if (outcome.tooManyDrops) {
    Error(PrintedName(encrypted) + ": " + kTooManyDrops);
    return false;
  }
  if (outcome.rejected) {
    Error(PrintedName(encrypted) + ": does not decrypt with this key (a wrong key, or not a file encrypted by the method)");
    return false;
  }
  if (!outcome.matches) {
    Error(PrintedName(encrypted) + ": does not decrypt back to " + PrintedName(original) + " (" + std::string(MethodName(outcome.method)) +
          "; first byte not given back at offset " + std::to_string(outcome.firstDifference) + ")");
    return false;
  }
  std::cout << PrintedName(original) << ": " << PrintedName(encrypted) << " decrypts back to it";
  if (outcome.method == Method::kFrequency) {
    std::cout << " (frequency: " << outcome.dropped << " dropped "
              << (outcome.dropped == 1 ? "byte" : "bytes") << " not given back, the other " << outcome.kept
              << " exact)";
  } else {
    std::cout << " (fibonacci: byte for byte)";
  }
  std::cout << std::endl;
  return true;
}

void Error(const std::string& text) { std::cerr << "qor: " << text << '\n'; }

}  // namespace qor::cli

// qor encrypt: each FILE into FILE.qor, with one key for all.
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cipher/key_mixing.h"
#include "cli/commands.h"
#include "cli/key_input.h"
#include "cli/progress_line.h"
#include "job/file_run.h"

namespace qor::cli {
namespace {

struct EncryptOptions {
  std::string method = "fibonacci";
  std::string key;
  bool keyGiven = false;
  std::vector<std::string> files;
};

std::string SystemReason(int error, const char* otherwise) {
  return error != 0 ? std::strerror(error) : otherwise;
}

// Why the pass over `input` failed, in words.
std::string Reason(const FileRunResult& result, const std::string& input) {
  const std::string output = OutputNameFor(input);
  switch (result.fault) {
    case FileFault::kOpenInput:
      return "could not open it: " + SystemReason(result.error, "unknown error");
    case FileFault::kOpenOutput:
      return "could not create " + output + ": " + SystemReason(result.error, "unknown error");
    case FileFault::kOutputIsInput:
      return output + " is the input file itself; not overwritten";
    case FileFault::kRead:
      return "could not read it: " + SystemReason(result.error, "read error");
    case FileFault::kShrank:
      return "could not read it: the file became shorter while it was read";
    case FileFault::kWrite:
      return "could not write " + output + ": " + SystemReason(result.error, "write error");
    case FileFault::kNone:
      break;
  }
  return "failed";
}

void Error(const std::string& text) { std::cerr << "qor: " << text << '\n'; }

int RunEncrypt(const EncryptOptions& options, const CLI::Option& keyOption) {
  std::string error;
  std::optional<std::string> keyText =
      keyOption.count() > 0 ? std::optional<std::string>(options.key) : ReadKeyText(error);
  if (!keyText) {
    Error(error);
    return kExitUsage;
  }
  const std::optional<std::string> keyBytes = CheckKey(*keyText, error);
  if (!keyBytes) {
    Error(error);
    return kExitUsage;
  }
  const CipherKey key(*keyBytes);
  const CipherMethod method =
      options.method == "frequency" ? CipherMethod::kFrequency : CipherMethod::kFibonacci;
  const bool showProgress = ProgressLine::StderrIsTerminal();

  int status = kExitOk;
  for (const std::string& file : options.files) {
    FileRunResult result;
    {
      ProgressLine progress(file, showProgress);
      result = EncryptFile(file, method, key, [&](std::int64_t done, std::int64_t total) {
        progress.Update(done, total);
      });
    }
    if (result.ok()) {
      std::cout << OutputNameFor(file) << std::endl;
    } else {
      Error(file + ": " + Reason(result, file));
      status = kExitFileFailed;
    }
  }
  return status;
}

}  // namespace

Command AddEncryptCommand(CLI::App& app) {
  auto options = std::make_shared<EncryptOptions>();
  CLI::App* encrypt = app.add_subcommand(
      "encrypt", "Encrypt each FILE into FILE.qor next to it, overwriting FILE.qor");
  encrypt->add_option("--method,-m", options->method, "fibonacci (any file) or frequency (text)")
      ->check(CLI::IsMember({"fibonacci", "frequency"}))
      ->capture_default_str();
  CLI::Option* keyOption = encrypt->add_option(
      "--key,-k", options->key,
      "1 to 7 characters; asked for on the terminal, or read as one line from standard input, "
      "when not given");
  encrypt->add_option("FILE", options->files, "Files to encrypt")->required();
  return {encrypt, [options, keyOption] { return RunEncrypt(*options, *keyOption); }};
}

}  // namespace qor::cli

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
#include "cli/reports.h"
#include "cli/progress_line.h"
#include "cipher/method.h"
#include "job/file_encryption.h"
#include "job/file_names.h"

namespace qor::cli {
namespace {

struct EncryptOptions {
  std::string method{MethodName(Method::kFibonacci)};
  std::string key;
  bool verify = false;
  std::vector<std::string> files;
};

int RunEncrypt(const EncryptOptions& options, const CLI::Option& keyOption) {
  const std::optional<CipherKey> key = KeyOf(keyOption, options.key, KeyPrompt::kConfirm);
  if (!key) return kExitUsage;
  const Method method = MethodNamed(options.method).value_or(Method::kFibonacci);
  const bool showProgress = ProgressLine::StderrIsTerminal();

  int status = kExitOk;
  for (const std::string& file : options.files) {
    FileRunResult result;
    {
      ProgressLine progress(file, showProgress);
      result = EncryptFile(file, method, *key, progress.Sink());
    }
    if (!result.ok()) {
      Error(file + ": " + FileReason(result, OutputNameFor(file)));
      status = kExitFileFailed;
      continue;
    }
    std::cout << OutputNameFor(file) << std::endl;
    if (options.verify && !VerifyAndReport(file, method, *key, showProgress)) status = kExitFileFailed;
  }
  return status;
}

}  // namespace

Command AddEncryptCommand(CLI::App& app) {
  auto options = std::make_shared<EncryptOptions>();
  CLI::App* encrypt = app.add_subcommand(
      "encrypt", "Encrypt each FILE into FILE.qor next to it, overwriting FILE.qor");
  encrypt->add_option("--method,-m", options->method, "fibonacci (any file) or frequency (text)")
      ->check(CLI::IsMember(MethodWords(/*withAuto=*/false)))
      ->capture_default_str();
  CLI::Option* keyOption = AddKeyOption(*encrypt, options->key);
  encrypt->add_flag("--verify", options->verify,
                    "Then check that each FILE.qor decrypts back to FILE, as qor verify does");
  encrypt->add_option("FILE", options->files, "Files to encrypt")->required();
  return {encrypt, [options, keyOption] { return RunEncrypt(*options, *keyOption); }};
}

}  // namespace qor::cli

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
  bool keepUndecryptable = false;
  std::vector<std::string> files;
};

int RunEncrypt(const EncryptOptions& options, const CLI::Option& keyOption) {
  const std::optional<CipherKey> key = KeyOf(keyOption, options.key, KeyPrompt::kConfirm);
  if (!key) return kExitUsage;
  const Method method = MethodNamed(options.method).value_or(Method::kFibonacci);
  const bool showProgress = ProgressLine::StderrIsTerminal();

  int status = kExitOk;
  // An output its decryption would refuse is removed before it takes its
  // name, unless asked for.
  const KeepOutput keep = [&options](const EncryptResult& r) { return r.decryptable() || options.keepUndecryptable; };
  for (const std::string& file : options.files) {
    EncryptOutcome outcome;
    {
      ProgressLine progress(file, showProgress);
      outcome = EncryptFile(file, method, *key, progress.Sink(), keep);
    }
    if (!outcome.file.ok()) {
      Error(file + ": " + FileReason(outcome.file, OutputNameFor(file)));
      status = kExitFileFailed;
      continue;
    }
    const FrequencyEncryptResult& frequency = outcome.encrypted.frequency;
    const std::string undecryptable = ": the frequency method dropped bytes at " +
                                      std::to_string(frequency.dropPlaces) + " places in " +
                                      std::to_string(frequency.codedBytes) +
                                      " coded bytes, more than its decryption takes: it would refuse ";
    if (outcome.declined) {
      Error(file + undecryptable + "the result as if the key were wrong; " + OutputNameFor(file) +
            " not written (--method fibonacci keeps every byte; --keep-undecryptable writes it anyway)");
      status = kExitFileFailed;
      continue;
    }
    std::cout << OutputNameFor(file) << std::endl;
    if (!outcome.encrypted.decryptable()) Error(file + undecryptable + OutputNameFor(file) + ", kept as asked");
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
  encrypt->add_flag("--keep-undecryptable", options->keepUndecryptable,
                    "Keep a frequency output with more dropped bytes than decryption takes (it refuses it)");
  encrypt->add_flag("--verify", options->verify,
                    "Then check that each FILE.qor decrypts back to FILE, as qor verify does");
  encrypt->add_option("FILE", options->files, "Files to encrypt")->required();
  return {encrypt, [options, keyOption] { return RunEncrypt(*options, *keyOption); }};
}

}  // namespace qor::cli

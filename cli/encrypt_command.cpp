// qor encrypt: each FILE into FILE.qor, with one key for all.
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cipher/key_mixing.h"
#include "cli/batch_outputs.h"
#include "cli/commands.h"
#include "cli/interruption.h"
#include "cli/printed_name.h"
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

  std::vector<std::string> outputs;
  for (const std::string& file : options.files) outputs.push_back(OutputNameFor(file));
  const std::vector<int> overInputs = OutputsOverOtherInputs(options.files, outputs);

  CatchInterruptions();
  int status = kExitOk;
  // An output its decryption would refuse is removed before it takes its
  // name, unless asked for.
  const KeepOutput keep = [&options](const EncryptResult& r) { return r.decryptable() || options.keepUndecryptable; };
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    const std::string& file = options.files[i];
    const std::string printed = PrintedName(file), printedOutput = PrintedName(outputs[i]);
    if (Interrupted()) {
      ReportInterruption(printed + " and the files after it not encrypted");
      return InterruptedStatus();
    }
    if (overInputs[i] >= 0) {
      Error(printed + ": " + printedOutput + " is also an input of this command; not overwritten");
      status = kExitFileFailed;
      continue;
    }
    EncryptOutcome outcome;
    SetOutputInProgress(printedOutput);
    {
      ProgressLine progress(printed, showProgress);
      outcome = EncryptFile(file, method, *key, StopOnInterruption(progress.Sink()), keep);
    }
    SetOutputInProgress("");
    if (!outcome.file.ok() && Interrupted()) {  // stopped, or a call it cut short
      ReportInterruption(printedOutput + " not written");
      return InterruptedStatus();
    }
    if (!outcome.file.ok()) {
      Error(printed + ": " + FileReason(outcome.file, outputs[i]));
      status = kExitFileFailed;
      continue;
    }
    const FrequencyEncryptResult& frequency = outcome.encrypted.frequency;
    const std::string undecryptable = ": the frequency method dropped bytes at " +
                                      std::to_string(frequency.dropPlaces) + " places in " +
                                      std::to_string(frequency.codedBytes) +
                                      " coded bytes, more than its decryption takes: it would refuse ";
    if (outcome.declined) {
      Error(printed + undecryptable + "the result as if the key were wrong; " + printedOutput +
            " not written (--method fibonacci keeps every byte; --keep-undecryptable writes it anyway)");
      status = kExitFileFailed;
      continue;
    }
    std::cout << printedOutput << std::endl;
    if (!outcome.encrypted.decryptable()) Error(printed + undecryptable + printedOutput + ", kept as asked");
    if (options.verify && !VerifyAndReport(file, method, *key, showProgress)) status = kExitFileFailed;
  }
  if (Interrupted()) {
    ReportInterruption("it came after the last file was done");
    return InterruptedStatus();
  }
  return status;
}

}  // namespace

Command AddEncryptCommand(CLI::App& app) {
  auto options = std::make_shared<EncryptOptions>();
  CLI::App* encrypt = app.add_subcommand(
      "encrypt", "Encrypt each FILE into FILE.qor next to it, replacing a regular file FILE.qor");
  encrypt->footer(kHowOutputsAreWritten);
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

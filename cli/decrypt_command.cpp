// qor decrypt: each FILE.qor back into FILE; qor verify: check that FILE.qor
// decrypts back to FILE.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/batch_outputs.h"
#include "cli/commands.h"
#include "cli/interruption.h"
#include "cli/printed_name.h"
#include "cli/key_input.h"
#include "cli/reports.h"
#include "cli/progress_line.h"
#include "cipher/method.h"
#include "job/file_decryption.h"
#include "job/file_names.h"

namespace qor::cli {
namespace {

constexpr char kWhatFrequencyLoses[] =
    "The Fibonacci method gives every file back byte for byte. The frequency method cannot give back "
    "the bytes it dropped when encrypting (DEL and every byte from 0x80 up but 0xD1 and 0xF1: in "
    "Windows-1252 the accented letters, \xC2\xBF, \xC2\xA1 and the like; in UTF-8 every byte of a "
    "character beyond ASCII), nor where they stood; next to such a place a character can come back "
    "wrong where two readings need as many drops. And as an F and the fourth E of each four share a "
    "code, an F that follows 3, 7, 11... E's can come back as E, and an E after it as F.";

struct Options {
  std::string method{ChoiceName(kAutomatic)};
  std::string key;
  std::string output;
  bool force = false;
  std::vector<std::string> files;
};

// The option's word, checked by the parser.
MethodChoice ChoiceOf(const std::string& word) {
  MethodChoice choice = kAutomatic;
  ParseChoice(word, choice);
  return choice;
}

void AddMethodAndKey(CLI::App& command, Options& options, CLI::Option*& keyOption) {
  command.add_option("--method,-m", options.method, "auto (Fibonacci when every form checks, else frequency), "
                                                    "fibonacci or frequency")
      ->check(CLI::IsMember(MethodWords(/*withAuto=*/true)))
      ->capture_default_str();
  keyOption = AddKeyOption(command, options.key);
  command.footer(kWhatFrequencyLoses);
}

std::string Decrypted(const DecryptOutcome& outcome) {
  std::string text{MethodName(outcome.method())};
  if (outcome.method() == Method::kFrequency) {
    const std::int64_t drops = outcome.decrypted.frequency.dropPoints;
    text += ", " + std::to_string(drops) + (drops == 1 ? " place" : " places") + " where bytes had been dropped";
  }
  return text;
}

int RunDecrypt(const Options& options, const CLI::Option& keyOption) {
  if (!options.output.empty() && options.files.size() > 1) {
    Error("-o names the output of one file only");
    return kExitUsage;
  }
  const std::optional<CipherKey> key = KeyOf(keyOption, options.key, KeyPrompt::kOnce);
  if (!key) return kExitUsage;
  const bool showProgress = ProgressLine::StderrIsTerminal();

  std::vector<std::string> outputs;
  for (const std::string& file : options.files)
    outputs.push_back(options.output.empty() ? DecryptedNameFor(file) : options.output);
  const std::vector<int> overInputs = OutputsOverOtherInputs(options.files, outputs);

  CatchInterruptions();
  int status = kExitOk;
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    const std::string& file = options.files[i];
    const std::string& output = outputs[i];
    const std::string printed = PrintedName(file), printedOutput = PrintedName(output);
    if (Interrupted()) {
      ReportInterruption(printed + " and the files after it not decrypted");
      return InterruptedStatus();
    }
    if (output.empty()) {
      Error(printed + ": the name does not end in .qor; give the output's name with -o");
      status = kExitFileFailed;
      continue;
    }
    if (overInputs[i] >= 0) {
      Error(printed + ": " + printedOutput + " is also an input of this command; not overwritten");
      status = kExitFileFailed;
      continue;
    }
    DecryptOutcome outcome;
    SetOutputInProgress(printedOutput);
    {
      ProgressLine progress(printed, showProgress);
      outcome = DecryptFile(file, output, ChoiceOf(options.method), *key, options.force,
                            StopOnInterruption(progress.Sink()));
    }
    SetOutputInProgress("");
    if (!outcome.ok() && Interrupted()) {  // stopped, or a call it cut short
      ReportInterruption(printedOutput + " not written");
      return InterruptedStatus();
    }
    if (!outcome.file.ok()) {
      Error(printed + ": " + FileReason(outcome.file, output));
    } else if (outcome.outputExists) {
      Error(printed + ": " + printedOutput + " exists; not replaced (--force replaces it)");
    } else if (outcome.tooManyDrops()) {
      Error(printed + ": " + kTooManyDrops + "; nothing written");
    } else if (outcome.rejected) {
      Error(printed + ": does not decrypt with this key (a wrong key, or not a file encrypted by the " +
            (ChoiceOf(options.method) ? options.method + " method" : std::string("methods")) +
            "); nothing written");
    } else {
      std::cout << printedOutput << " (" << Decrypted(outcome) << ")" << std::endl;
      if (outcome.method() == Method::kFibonacci && outcome.decrypted.fibonacci.couldBeEmpty)
        Error(printed + ": an empty file gives the same two bytes; written as the single byte 0x00");
      continue;
    }
    status = kExitFileFailed;
  }
  if (Interrupted()) {
    ReportInterruption("it came after the last file was done");
    return InterruptedStatus();
  }
  return status;
}

int RunVerify(const Options& options, const CLI::Option& keyOption) {
  const std::optional<CipherKey> key = KeyOf(keyOption, options.key, KeyPrompt::kOnce);
  if (!key) return kExitUsage;
  const bool showProgress = ProgressLine::StderrIsTerminal();
  CatchInterruptions();
  int status = kExitOk;
  for (const std::string& file : options.files) {
    if (!VerifyAndReport(file, ChoiceOf(options.method), *key, showProgress)) status = kExitFileFailed;
    if (Interrupted()) {
      ReportInterruption("verifying stopped at " + PrintedName(file) + "; nothing is written by verify");
      return InterruptedStatus();
    }
  }
  return status;
}

}  // namespace

std::vector<std::string> MethodWords(bool withAuto) {
  std::vector<std::string> words;
  if (withAuto) words.emplace_back(ChoiceName(kAutomatic));
  for (Method m : kMethods) words.emplace_back(MethodName(m));
  return words;
}

bool VerifyAndReport(const std::string& file, MethodChoice choice, const CipherKey& key, bool showProgress) {
  const std::string encrypted = OutputNameFor(file);
  VerifyOutcome outcome;
  {
    ProgressLine progress(PrintedName(encrypted), showProgress);
    outcome = VerifyFile(file, encrypted, choice, key, StopOnInterruption(progress.Sink()));
  }
  if (!outcome.file.ok() && Interrupted()) return false;
  return ReportVerify(file, encrypted, outcome);
}

Command AddDecryptCommand(CLI::App& app) {
  auto options = std::make_shared<Options>();
  CLI::App* decrypt = app.add_subcommand(
      "decrypt", "Decrypt each FILE.qor into FILE next to it; an existing file is never replaced without --force");
  CLI::Option* keyOption = nullptr;
  AddMethodAndKey(*decrypt, *options, keyOption);
  decrypt->add_option("-o,--output", options->output, "Write here instead (one FILE.qor only)");
  decrypt->add_flag("--force", options->force, "Replace an existing output that is a regular file");
  decrypt->footer(std::string(kHowOutputsAreWritten) + "\n\n" + kWhatFrequencyLoses);
  decrypt->add_option("FILE.qor", options->files, "Files to decrypt")->required();
  return {decrypt, [options, keyOption] { return RunDecrypt(*options, *keyOption); }};
}

Command AddVerifyCommand(CLI::App& app) {
  auto options = std::make_shared<Options>();
  CLI::App* verify = app.add_subcommand(
      "verify", "Check that each FILE.qor decrypts back to FILE (make sure before deleting FILE); writes nothing");
  CLI::Option* keyOption = nullptr;
  AddMethodAndKey(*verify, *options, keyOption);
  verify->add_option("FILE", options->files, "Original files; FILE.qor is read beside each")->required();
  return {verify, [options, keyOption] { return RunVerify(*options, *keyOption); }};
}

}  // namespace qor::cli

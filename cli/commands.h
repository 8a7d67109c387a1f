// The subcommands of qor. Each registers itself on the top-level parser and
// gives back what to run when it was the one chosen.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cipher/key_mixing.h"
#include "cipher/method.h"

namespace qor::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileFailed = 1;  // some file could not be done
inline constexpr int kExitUsage = 2;       // bad arguments or key; nothing done

// What the --help of the commands that write says of their outputs.
inline constexpr char kHowOutputsAreWritten[] =
    "Each output is written to a temporary file beside it (.NAME.XXXXXX.part), created no more readable than "
    "its input, and takes its name only when complete: a failure, or an interruption by SIGINT, SIGTERM or "
    "SIGHUP (exit status 128 + the signal, 130 for Ctrl-C), leaves nothing behind. Only a regular file is "
    "replaced: a symbolic link, folder, device, FIFO or socket at an output name is refused, and a link is never "
    "written through. A file whose output would be another input of the same command is refused; the others "
    "are done.";

struct Command {
  CLI::App* parser = nullptr;
  std::function<int()> run;
};

Command AddEncryptCommand(CLI::App& app);
Command AddDecryptCommand(CLI::App& app);
Command AddVerifyCommand(CLI::App& app);

// The --method option's words: the methods, and "auto" when `withAuto`.
std::vector<std::string> MethodWords(bool withAuto);

// Checks that FILE.qor decrypts back to FILE, with a progress line on a
// terminal, and tells the outcome; qor verify and qor encrypt --verify.
// True when it does.
bool VerifyAndReport(const std::string& file, MethodChoice choice, const CipherKey& key, bool showProgress);

}  // namespace qor::cli

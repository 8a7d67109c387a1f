// How the commands tell what went wrong with a file.
#pragma once

#include <string>

#include "job/file_decryption.h"
#include "job/file_run.h"

namespace qor::cli {

// A frequency file refused for its drops rather than for its key.
extern const char kTooManyDrops[];

// Why the pass from `input` into `output` failed, in words.
std::string FileReason(const FileRunResult& result, const std::string& output);

// Tells the outcome of checking that `encrypted` gives back `original`: a
// line on standard output when it does, an error otherwise. True when it does.
bool ReportVerify(const std::string& original, const std::string& encrypted, const VerifyOutcome& outcome);

// "qor: TEXT" on standard error.
void Error(const std::string& text);

}  // namespace qor::cli

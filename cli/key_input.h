// Getting the key for a command: from its option, typed on the terminal, or
// one line of standard input; and checking it.
#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "cipher/key_mixing.h"

namespace qor::cli {

// How a key typed on the terminal is asked for.
enum class KeyPrompt {
  kOnce,     // a key already chosen: decrypting, verifying
  kConfirm,  // a new key: typed twice, and the two must match
};

// Without echo, as `prompt` says, when standard input is a terminal;
// otherwise one line of it. UTF-8 text, no line end. No value, with `error`
// set, on failure.
std::optional<std::string> ReadKeyText(KeyPrompt prompt, std::string& error);

// The key's Windows-1252 bytes: 1 to kMaxKeyLength characters, each with a Windows-1252
// byte. No value, with `error` set, otherwise.
std::optional<std::string> CheckKey(const std::string& utf8, std::string& error);

// The key of a command: `given` from its option, else typed or read as
// above, then checked. No value, with `error` set, when there is none.
std::optional<CipherKey> ObtainKey(const std::optional<std::string>& given, KeyPrompt prompt,
                                   std::string& error);

// The --key option of a command, read into `key`.
CLI::Option* AddKeyOption(CLI::App& command, std::string& key);

// The command's key, from its --key option when given, else as ObtainKey
// gets it. No value when there is none; the reason is then printed.
std::optional<CipherKey> KeyOf(const CLI::Option& keyOption, const std::string& key, KeyPrompt prompt);

}  // namespace qor::cli

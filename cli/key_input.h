// Getting the key for a command: from its option, typed on the terminal, or
// one line of standard input; and checking it.
#pragma once

#include <optional>
#include <string>

namespace qor::cli {

// Without echo, twice, when standard input is a terminal; otherwise one line
// of it. UTF-8 text, no line end. No value, with `error` set, on failure.
std::optional<std::string> ReadKeyText(std::string& error);

// The key's Windows-1252 bytes: 1 to 7 characters, each with a Windows-1252
// byte. No value, with `error` set, otherwise.
std::optional<std::string> CheckKey(const std::string& utf8, std::string& error);

}  // namespace qor::cli

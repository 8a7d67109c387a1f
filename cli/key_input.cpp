#include "cli/key_input.h"

#include <cstdio>
#include <iostream>

#include "cli/reports.h"
#include "job/text_encoding.h"

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#else
#include <csignal>
#include <termios.h>
#include <unistd.h>
#endif

namespace qor::cli {
namespace {

#ifdef _WIN32

bool InputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

// Console input without echo. No value when the user breaks off.
std::optional<std::string> ReadHiddenLine(const char* prompt) {
  std::fputs(prompt, stderr);
  std::fflush(stderr);
  std::u16string line;
  for (;;) {
    const wint_t c = _getwch();
    if (c == L'\r' || c == L'\n') break;
    if (c == 3 || c == 26 || c == WEOF) {  // Ctrl+C, Ctrl+Z
      std::fputc('\n', stderr);
      return std::nullopt;
    }
    if (c == L'\b') {
      if (!line.empty()) line.pop_back();
    } else if (c == 0 || c == 0xE0) {
      _getwch();  // the second half of a function or arrow key
    } else {
      line += static_cast<char16_t>(c);
    }
  }
  std::fputc('\n', stderr);
  return Utf16ToUtf8(line);
}

#else

bool InputIsTerminal() { return isatty(STDIN_FILENO) != 0; }

// The terminal's settings while echo is off, so that an interrupt can put
// them back before the process ends.
termios savedTerminal;

extern "C" void RestoreTerminalAndReraise(int signal) {
  tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

std::optional<std::string> ReadHiddenLine(const char* prompt) {
  // Echo goes off before the prompt shows, so nothing typed after it is echoed.
  const bool quiet = tcgetattr(STDIN_FILENO, &savedTerminal) == 0;
  struct sigaction oldInterrupt {}, oldTerminate {}, restore {};
  if (quiet) {
    restore.sa_handler = RestoreTerminalAndReraise;
    sigemptyset(&restore.sa_mask);
    sigaction(SIGINT, &restore, &oldInterrupt);
    sigaction(SIGTERM, &restore, &oldTerminate);
    termios noEcho = savedTerminal;
    noEcho.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &noEcho);
  }
  std::fputs(prompt, stderr);
  std::fflush(stderr);

  std::string line;
  bool ended = false;
  for (;;) {
    const int c = std::getchar();
    if (c == EOF) {
      ended = line.empty();
      break;
    }
    if (c == '\n') break;
    line += static_cast<char>(c);
  }

  if (quiet) {
    tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    sigaction(SIGINT, &oldInterrupt, nullptr);
    sigaction(SIGTERM, &oldTerminate, nullptr);
  }
  std::fputc('\n', stderr);
  if (ended) return std::nullopt;
  return line;
}

#endif

}  // namespace

std::optional<std::string> ReadKeyText(KeyPrompt prompt, std::string& error) {
  if (InputIsTerminal()) {
    const auto first = ReadHiddenLine("Key: ");
    if (!first) {
      error = "no key was typed";
      return std::nullopt;
    }
    if (prompt == KeyPrompt::kOnce) return first;
    const auto second = ReadHiddenLine("Key again: ");
    if (!second) {
      error = "no key was typed";
      return std::nullopt;
    }
    if (*first != *second) {
      error = "the two keys typed do not match";
      return std::nullopt;
    }
    return first;
  }

  std::string line;
  if (!std::getline(std::cin, line) && line.empty()) {
    error = "no key on standard input";
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> CheckKey(const std::string& utf8, std::string& error) {
  const Windows1252Text text = ToWindows1252(utf8);
  if (text.invalidUtf8) {
    error = "the key is not valid UTF-8 text";
    return std::nullopt;
  }
  if (text.unmapped > 0) {
    error = "the key's character \"" + utf8.substr(text.firstUnmapped, text.firstUnmappedLength) +
            "\" has no Windows-1252 byte";
    return std::nullopt;
  }
  if (text.bytes.empty() || text.bytes.size() > static_cast<std::size_t>(kMaxKeyLength)) {
    error = "the key must have 1 to " + std::to_string(kMaxKeyLength) + " characters, not " +
            std::to_string(text.bytes.size());
    return std::nullopt;
  }
  if (text.bytes.find('\0') != std::string::npos) {
    error = "the key must not hold a NUL character";
    return std::nullopt;
  }
  return text.bytes;
}

std::optional<CipherKey> ObtainKey(const std::optional<std::string>& given, KeyPrompt prompt,
                                   std::string& error) {
  const std::optional<std::string> text = given ? given : ReadKeyText(prompt, error);
  if (!text) return std::nullopt;
  const std::optional<std::string> bytes = CheckKey(*text, error);
  if (!bytes) return std::nullopt;
  return CipherKey(*bytes);
}

CLI::Option* AddKeyOption(CLI::App& command, std::string& key) {
  return command.add_option("--key,-k", key,
                            "1 to " + std::to_string(kMaxKeyLength) +
                                " characters; asked for on the terminal, or read as one line from standard "
                                "input, when not given");
}

std::optional<CipherKey> KeyOf(const CLI::Option& keyOption, const std::string& key, KeyPrompt prompt) {
  std::string error;
  std::optional<CipherKey> result =
      ObtainKey(keyOption.count() > 0 ? std::optional<std::string>(key) : std::nullopt, prompt, error);
  if (!result) Error(error);
  return result;
}

}  // namespace qor::cli

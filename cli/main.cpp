// qor: the command-line face of the engine.
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "job/text_encoding.h"
#endif

#ifndef QOR_VERSION
#error "QOR_VERSION must be defined by the build"
#endif

namespace {

// The arguments as UTF-8, whatever the console's code page.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  std::vector<std::string> result;
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) {
      result.push_back(qor::Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
    }
    LocalFree(wide);
  }
  return result;
#else
  return std::vector<std::string>(argv, argv + argc);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Encrypts files with a short key by one of two classical ciphers."};
  app.name("qor");
  app.set_version_flag("--version", "qor " QOR_VERSION);
  app.require_subcommand(1);

  const std::vector<qor::cli::Command> commands = {qor::cli::AddEncryptCommand(app)};

  const std::vector<std::string> arguments = Arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  try {
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? qor::cli::kExitOk : qor::cli::kExitUsage;
  }

  for (const qor::cli::Command& command : commands) {
    if (command.parser->parsed()) return command.run();
  }
  return qor::cli::kExitUsage;
}

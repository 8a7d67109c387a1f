// The subcommands of qor. Each registers itself on the top-level parser and
// gives back what to run when it was the one chosen.
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

namespace qor::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileFailed = 1;  // some file could not be done
inline constexpr int kExitUsage = 2;       // bad arguments or key; nothing done

struct Command {
  CLI::App* parser = nullptr;
  std::function<int()> run;
};

Command AddEncryptCommand(CLI::App& app);

}  // namespace qor::cli

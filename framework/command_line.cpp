#include "framework/command_line.h"

#include "framework/cstring.h"

#include <shellapi.h>

namespace fw {

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!words) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(words[i]));
  ::LocalFree(words);
  return arguments;
}

}  // namespace fw

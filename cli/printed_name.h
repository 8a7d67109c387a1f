// File names as the tool prints them: a name that a terminal would take as
// anything but its characters (control characters, invalid UTF-8) is shown
// quoted and escaped as the shell reads it back, as ls does.
#pragma once

#include <string>

namespace qor::cli {

// `name` itself when every byte prints as what it is; else, for instance,
// 'a'$'\033''[2J' for "a", ESC, "[2J".
std::string PrintedName(const std::string& name);

}  // namespace qor::cli

// The program's command line, as the system splits it (quotes group, as in
// "Open with" and a file dropped onto the program's icon).
#pragma once

#include <string>
#include <vector>

namespace fw {

// The arguments after the program's own name, in UTF-8.
std::vector<std::string> CommandLineArguments();

}  // namespace fw

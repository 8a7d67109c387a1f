// The system's own words for an error code, in the user's language.
#pragma once

#include <string>

#include "framework/win32.h"

namespace fw {

// FormatMessage's text for a GetLastError code, without its line break;
// empty when the system has none.
std::string SystemErrorText(DWORD error);

}  // namespace fw

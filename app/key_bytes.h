// The key's bytes as both Windows programs take them from their key edits:
// the edit's text in Windows-1252 by the system's own conversion, the bytes
// a narrow edit would have given.
#pragma once

#include <string>
#include <string_view>

#include "framework/cstring.h"

namespace qor {

inline constexpr UINT kKeyCodePage = 1252;

inline std::string KeyBytesOf(std::string_view keyText) { return fw::NarrowToCodePage(keyText, kKeyCodePage); }

}  // namespace qor

// Conversions between the program's UTF-8 text and the two encodings it
// meets at its edges: Windows-1252 bytes (key text) and UTF-16 (file names
// on Windows, console input).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qor {

// UTF-8 text as Windows-1252 bytes. Every character with no Windows-1252
// byte, and every byte that is not part of a valid UTF-8 sequence, becomes
// "?" (0x3F). Stricter than the system's own conversion, which maps many
// such characters to a close letter ("Ā" to "A"): the Windows programs ask
// the system for the key's bytes; this is the portable conversion.
struct Windows1252Text {
  std::string bytes;
  std::size_t unmapped = 0;                           // how many became "?"
  std::size_t firstUnmapped = std::string_view::npos;  // its offset in the UTF-8 text
  std::size_t firstUnmappedLength = 0;                 // and its length there
  bool invalidUtf8 = false;                            // some bytes were not UTF-8
};

Windows1252Text ToWindows1252(std::string_view utf8);

// UTF-8 to UTF-16; a byte that is not valid UTF-8 gives U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8; an unpaired surrogate gives U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace qor

#include "cli/printed_name.h"

#include <cstdint>

namespace qor::cli {
namespace {

// The length of the valid, printable UTF-8 character at `at`, or 0.
std::size_t PrintableAt(const std::string& s, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t first = byte(at);
  if (first < 0x20 || first == 0x7F) return 0;
  if (first < 0x80) return 1;
  const std::size_t length = first >= 0xF5 ? 0 : first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC2 ? 2 : 0;
  if (length == 0 || at + length > s.size()) return 0;
  std::uint32_t code = first & (0xFF >> (length + 1));
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  // Overlong forms, surrogates, beyond Unicode, and the C1 controls.
  static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF || code < 0xA0) return 0;
  return length;
}

std::string Escaped(std::uint8_t byte) {
  switch (byte) {
    case '\a': return "\\a";
    case '\b': return "\\b";
    case '\t': return "\\t";
    case '\n': return "\\n";
    case '\v': return "\\v";
    case '\f': return "\\f";
    case '\r': return "\\r";
    case 0x1B: return "\\E";
    default: break;
  }
  static constexpr char kOctal[] = "01234567";
  return std::string{'\\', kOctal[byte >> 6], kOctal[(byte >> 3) & 7], kOctal[byte & 7]};
}

}  // namespace

std::string PrintedName(const std::string& name) {
  bool plain = true;
  for (std::size_t at = 0, n; plain && at < name.size(); at += n) plain = (n = PrintableAt(name, at)) != 0;
  if (plain) return name;

  // Printable runs in '...', the rest in $'...'; a quote is escaped too.
  std::string printed;
  bool inQuotes = false;
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t n = PrintableAt(name, at);
    if (n != 0 && name[at] != '\'') {
      if (!inQuotes) printed += '\'';
      inQuotes = true;
      printed.append(name, at, n);
      at += n;
      continue;
    }
    if (inQuotes) printed += '\'';
    inQuotes = false;
    printed += "$'";
    for (; at < name.size() && (PrintableAt(name, at) == 0 || name[at] == '\''); ++at)
      printed += name[at] == '\'' ? std::string("\\'") : Escaped(static_cast<std::uint8_t>(name[at]));
    printed += '\'';
  }
  if (inQuotes) printed += '\'';
  return printed;
}

}  // namespace qor::cli

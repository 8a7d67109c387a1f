#include "job/text_encoding.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qor {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One decoded character and the number of bytes it took; no value for a byte
// that does not start a valid sequence (it then takes one byte).
struct Decoded {
  std::optional<char32_t> character;
  std::size_t length = 1;
};

Decoded DecodeUtf8(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(at);
  if (lead < 0x80) return {lead, 1};

  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return {};
  }
  if (at + length > text.size()) return {};
  for (std::size_t i = 1; i < length; ++i) {
    const std::uint8_t next = byte(at + i);
    if ((next & 0xC0) != 0x80) return {};
    value = (value << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  if (value < minimum || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return {};
  return {value, length};
}

// The characters of 0x80..0x9F in Windows-1252. The five bytes the code page
// leaves undefined carry the control character of the same number, as the
// system's conversion does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<std::uint8_t> Windows1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

Windows1252Text ToWindows1252(std::string_view utf8) {
  Windows1252Text result;
  for (std::size_t at = 0; at < utf8.size();) {
    const Decoded d = DecodeUtf8(utf8, at);
    const auto byte = d.character ? Windows1252Byte(*d.character) : std::nullopt;
    if (byte) {
      result.bytes += static_cast<char>(*byte);
    } else {
      result.bytes += '?';
      if (result.unmapped++ == 0) {
        result.firstUnmapped = at;
        result.firstUnmappedLength = d.length;
      }
      if (!d.character) result.invalidUtf8 = true;
    }
    at += d.length;
  }
  return result;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string result;
  result.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const Decoded d = DecodeUtf8(utf8, at);
    const char32_t c = d.character.value_or(kReplacement);
    if (c >= 0x10000) {
      result += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      result += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      result += static_cast<char16_t>(c);
    }
    at += d.length;
  }
  return result;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string result;
  result.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(result, c);
  }
  return result;
}

}  // namespace qor

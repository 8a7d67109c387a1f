// CString: the framework's text, held as UTF-8. Conversion to and from the
// system's UTF-16 happens only where the framework calls Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "framework/win32.h"

class CString {
 public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}  // NOLINT: implicit like a string literal
  CString(std::string text) : m_text(std::move(text)) {}    // NOLINT
  CString(std::string_view text) : m_text(text) {}          // NOLINT

  // Bytes of UTF-8, as strlen would count them.
  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }

  const std::string& GetString() const { return m_text; }
  operator const char*() const { return m_text.c_str(); }  // NOLINT

  CString& operator=(const char* text) { m_text = text ? text : ""; return *this; }
  CString& operator+=(std::string_view text) { m_text += text; return *this; }
  friend CString operator+(const CString& a, std::string_view b) { return CString(a.m_text + std::string(b)); }
  friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
  friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }

  // Loads a string resource of the program; FALSE (and empty) if there is none.
  BOOL LoadString(UINT id);

 private:
  std::string m_text;
};

namespace fw {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// UTF-8 text in a single-byte code page, by the system's own conversion:
// what a narrow edit's text would be. A character the code page lacks
// becomes its closest letter where the system knows one ("Ā" gives "A"),
// else "?".
std::string NarrowToCodePage(std::string_view utf8, UINT codePage);
// A null pointer stays null (Windows reads it as "no text").
inline const wchar_t* WideOrNull(const std::wstring& text, const char* original) {
  return original ? text.c_str() : nullptr;
}

}  // namespace fw

#include "framework/cstring.h"

namespace fw {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  int size = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                   nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), narrow.data(), size, nullptr,
                        nullptr);
  return narrow;
}

std::string NarrowToCodePage(std::string_view utf8, UINT codePage) {
  const std::wstring wide = Widen(utf8);
  if (wide.empty()) return {};
  // No flags: the system's best-fit mapping and its default character.
  int size = ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                   nullptr);
  std::string narrow(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), size, nullptr,
                        nullptr);
  return narrow;
}

}  // namespace fw

BOOL CString::LoadString(UINT id) {
  // With a zero length, LoadStringW hands back a pointer into the resource
  // itself, so strings of any length load without a guess at a buffer.
  const wchar_t* text = nullptr;
  int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) {
    m_text.clear();
    return FALSE;
  }
  m_text = fw::Narrow(std::wstring_view(text, static_cast<std::size_t>(length)));
  return TRUE;
}

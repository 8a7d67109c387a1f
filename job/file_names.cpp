#include "job/file_names.h"

#include "job/text_encoding.h"

namespace qor {
namespace {

constexpr char kSuffix[] = ".qor";

// ASCII letters only, so that no locale and no byte of a UTF-8 character
// changes the match.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `name` ends in kSuffix in any letter case, as Windows names match.
bool EndsInSuffix(const std::string& name) {
  const std::size_t n = sizeof kSuffix - 1;
  if (name.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (LowerAscii(name[name.size() - n + i]) != kSuffix[i]) return false;
  return true;
}

}  // namespace

std::string OutputNameFor(const std::string& inputName) { return inputName + kSuffix; }

std::string DecryptedNameFor(const std::string& encryptedName) {
  const std::size_t n = sizeof kSuffix - 1;
  if (encryptedName.size() <= n || !EndsInSuffix(encryptedName)) return {};
  const std::string name = encryptedName.substr(0, encryptedName.size() - n);
  if (name.back() == '/' || name.back() == '\\') return {};  // ".qor" alone is no name
  return name;
}

std::filesystem::path PathOf(const std::string& name) {
#ifdef _WIN32
  const std::u16string wide = Utf8ToUtf16(name);
  return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
  return std::filesystem::path(name);
#endif
}

}  // namespace qor

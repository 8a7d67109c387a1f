// The names of files: the encrypted file's name from its input's and back,
// and a UTF-8 name as the path the system takes.
#pragma once

#include <filesystem>
#include <string>

namespace qor {

// The output name: the input name with ".qor" appended, nothing removed.
std::string OutputNameFor(const std::string& inputName);

// The input name without its ".qor", in any letter case (".QOR", ".Qor"...);
// empty when it does not end so (or is nothing else).
std::string DecryptedNameFor(const std::string& encryptedName);

// The path of a UTF-8 file name, for std::filesystem.
std::filesystem::path PathOf(const std::string& name);

}  // namespace qor

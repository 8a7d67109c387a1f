// Temporary folders and whole-file reads and writes for tests, and the
// engine's own output for given bytes to compare against.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/frequency.h"
#include "cipher/key_mixing.h"

namespace qor::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qor-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    // A test may have taken write permission away.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
      if (entry.is_directory(ec) && !entry.is_symlink(ec)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
      }
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }

  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + name);
}

inline std::string ReadBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + name);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Varied bytes, all 256 values included.
inline std::string SampleBytes(std::size_t size, unsigned seed = 1) {
  std::string bytes(size, '\0');
  unsigned state = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<char>(state >> 24);
  }
  return bytes;
}

enum class Engine { kFrequency, kFibonacci };

// What the engine writes for `bytes` with a key of `keyBytes` (Windows-1252).
inline std::string EngineOutput(Engine engine, const std::string& bytes,
                                const std::string& keyBytes) {
  TempDir dir;
  const std::string inName = dir.File("in");
  const std::string outName = dir.File("out");
  WriteBytes(inName, bytes);
  std::FILE* in = std::fopen(inName.c_str(), "rb");
  std::FILE* out = std::fopen(outName.c_str(), "wb");
  if (in == nullptr || out == nullptr) throw std::runtime_error("cannot open engine files");
  const CipherKey key(keyBytes);
  if (engine == Engine::kFrequency) {
    EncryptFrequency(in, out, key);
  } else {
    EncryptFibonacci(in, out, key);
  }
  std::fclose(out);
  std::fclose(in);
  return ReadBytes(outName);
}

// True when files can still be created in a folder without write
// permission (running as root, for one).
inline bool PermissionsIgnored(const std::filesystem::path& readOnlyDir) {
  const auto probe = readOnlyDir / "probe";
  std::FILE* f = std::fopen(probe.string().c_str(), "wb");
  if (f == nullptr) return false;
  std::fclose(f);
  std::filesystem::remove(probe);
  return true;
}

}  // namespace qor::testing

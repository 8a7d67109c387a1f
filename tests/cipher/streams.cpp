#include "tests/cipher/streams.h"

#include <gtest/gtest.h>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/frequency.h"

namespace qor::test {

Bytes RunMethod(const Method& method, const Bytes& input, const CipherKey& key) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  EXPECT_NE(in, nullptr);
  EXPECT_NE(out, nullptr);
  if (!in || !out) return {};
  if (!input.empty()) std::fwrite(input.data(), 1, input.size(), in);
  std::fflush(in);
  std::rewind(in);
  method(in, out, key);
  EXPECT_FALSE(std::ferror(in));
  EXPECT_FALSE(std::feof(in)) << "read past the size";
  std::fflush(out);
  Bytes result(static_cast<std::size_t>(std::ftell(out)));
  std::rewind(out);
  if (!result.empty()) {
    EXPECT_EQ(std::fread(result.data(), 1, result.size(), out), result.size());
  }
  std::fclose(in);
  std::fclose(out);
  return result;
}

Bytes FrequencyEncrypted(const Bytes& input, const CipherKey& key) {
  return RunMethod([](std::FILE* in, std::FILE* out, const CipherKey& k) { EncryptFrequency(in, out, k); }, input, key);
}

Bytes FibonacciEncrypted(const Bytes& input, const CipherKey& key) {
  return RunMethod([](std::FILE* in, std::FILE* out, const CipherKey& k) { EncryptFibonacci(in, out, k); }, input, key);
}

Bytes RandomBytes(std::mt19937& rng, std::size_t size) {
  Bytes b(size);
  std::uniform_int_distribution<int> byte(0, 255);
  for (auto& x : b) x = static_cast<std::uint8_t>(byte(rng));
  return b;
}

CipherKey RandomKey(std::mt19937& rng) {
  std::uniform_int_distribution<int> len(1, 7), byte(1, 255);
  std::string text(static_cast<std::size_t>(len(rng)), ' ');
  for (auto& c : text) c = static_cast<char>(byte(rng));
  return CipherKey(text);
}

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

CipherKey OneByteOff(std::mt19937& rng, const CipherKey& key) {
  CipherKey wrong = key;
  std::uniform_int_distribution<int> index(0, key.length - 1), byte(1, 255);
  std::uint8_t& b = wrong.bytes[static_cast<std::size_t>(index(rng))];
  const std::uint8_t was = b;
  do b = static_cast<std::uint8_t>(byte(rng));
  while (b == was);
  return wrong;
}

}  // namespace qor::test

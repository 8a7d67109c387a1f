// Running a method over bytes in memory, through real temporary files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "cipher/key_mixing.h"
#include "cipher/progress.h"

namespace qor::test {

using Bytes = std::vector<std::uint8_t>;
using Method = std::function<void(std::FILE*, std::FILE*, const CipherKey&)>;

Bytes RunMethod(const Method& method, const Bytes& input, const CipherKey& key);

// The two methods over bytes.
Bytes FrequencyEncrypted(const Bytes& input, const CipherKey& key);
Bytes FibonacciEncrypted(const Bytes& input, const CipherKey& key);

Bytes RandomBytes(std::mt19937& rng, std::size_t size);
CipherKey RandomKey(std::mt19937& rng);
Bytes ToBytes(const std::string& s);

// The key with one of its bytes changed to another nonzero byte.
CipherKey OneByteOff(std::mt19937& rng, const CipherKey& key);

template <class Result>
struct Decrypted {
  Result result;
  Bytes output;
};

// Runs a decryption over `input`, keeping what it reports.
template <class Result>
Decrypted<Result> RunDecryption(Result (*decrypt)(std::FILE*, std::FILE*, const CipherKey&, const Progress&),
                                const Bytes& input, const CipherKey& key) {
  Decrypted<Result> d{};
  d.output = RunMethod([&](std::FILE* in, std::FILE* out, const CipherKey& k) { d.result = decrypt(in, out, k, {}); },
                       input, key);
  return d;
}

}  // namespace qor::test

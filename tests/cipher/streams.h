// Running a method over bytes in memory, through real temporary files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "cipher/key_mixing.h"

namespace qor::test {

using Bytes = std::vector<std::uint8_t>;
using Method = std::function<void(std::FILE*, std::FILE*, const CipherKey&)>;

Bytes RunMethod(const Method& method, const Bytes& input, const CipherKey& key);

Bytes RandomBytes(std::mt19937& rng, std::size_t size);
CipherKey RandomKey(std::mt19937& rng);
Bytes ToBytes(const std::string& s);

}  // namespace qor::test

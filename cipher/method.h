// The two methods as one concept: their names both ways, and encrypting or
// decrypting by a method chosen at run time. Everything outside the engine
// (the job, the command-line tool, the dialogs) names a method through this.
#pragma once

#include <array>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>

#include "cipher/decrypt_result.h"
#include "cipher/encrypt_result.h"
#include "cipher/key_mixing.h"
#include "cipher/progress.h"

namespace qor {

enum class Method {
  kFibonacci,  // any file, given back byte for byte
  kFrequency,  // Windows-1252 text; drops the bytes it cannot code
};

inline constexpr std::array<Method, 2> kMethods = {Method::kFibonacci, Method::kFrequency};

// What a decryption is asked to use: one method, or no method named
// (automatic), which tries each in the order MethodsToTry gives.
using MethodChoice = std::optional<Method>;
inline constexpr MethodChoice kAutomatic = std::nullopt;

// The words the command-line tool uses: "fibonacci", "frequency", and
// "auto" for the automatic choice.
std::string_view MethodName(Method method);
std::string_view ChoiceName(MethodChoice choice);
std::optional<Method> MethodNamed(std::string_view name);
// False for a word that names no choice. (A choice is itself optional, so
// it comes back through `choice` rather than as an optional of an optional.)
bool ParseChoice(std::string_view name, MethodChoice& choice);

// The methods a decryption tries, in order, until one's checks hold. The
// automatic choice takes Fibonacci first: its checks are strict, and a
// frequency file almost never passes them.
std::span<const Method> MethodsToTry(const MethodChoice& choice);

// Reports, for the frequency method, whether decryption will refuse the
// output for the bytes it dropped.
EncryptResult Encrypt(Method method, std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress = {});

// What one method's decryption reported.
struct DecryptResult {
  Method method = Method::kFibonacci;
  FibonacciDecryptResult fibonacci;  // when method is kFibonacci
  FrequencyDecryptResult frequency;  // when method is kFrequency
  DecryptStatus status() const { return method == Method::kFibonacci ? fibonacci.status : frequency.status; }
  bool ok() const { return status() == DecryptStatus::kOk; }
};

DecryptResult Decrypt(Method method, std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress = {});

// Whether a decryption tried for `choice` gives the file back. An explicit
// method takes whatever its checks pass. The automatic choice takes
// Fibonacci on its checks, whose strictness grows with the file, but
// frequency only on a file that frequency could plausibly have made from
// text: another method's file read with a wrong key often passes
// frequency's checks, which are loose on short files.
bool Accepted(const MethodChoice& choice, const DecryptResult& result);

}  // namespace qor

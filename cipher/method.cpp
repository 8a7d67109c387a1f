#include "cipher/method.h"

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/frequency.h"
#include "cipher/frequency/text_plausibility.h"

namespace qor {

namespace {
constexpr std::string_view kAutoName = "auto";
}  // namespace

std::string_view MethodName(Method method) {
  return method == Method::kFrequency ? "frequency" : "fibonacci";
}

std::string_view ChoiceName(MethodChoice choice) { return choice ? MethodName(*choice) : kAutoName; }

std::optional<Method> MethodNamed(std::string_view name) {
  for (Method m : kMethods)
    if (MethodName(m) == name) return m;
  return std::nullopt;
}

bool ParseChoice(std::string_view name, MethodChoice& choice) {
  if (name == kAutoName) {
    choice = kAutomatic;
    return true;
  }
  const std::optional<Method> m = MethodNamed(name);
  if (m) choice = *m;
  return m.has_value();
}

std::span<const Method> MethodsToTry(const MethodChoice& choice) {
  static constexpr Method kFibonacciOnly[] = {Method::kFibonacci};
  static constexpr Method kFrequencyOnly[] = {Method::kFrequency};
  if (!choice) return kMethods;  // Fibonacci, then frequency
  return *choice == Method::kFibonacci ? std::span<const Method>(kFibonacciOnly)
                                       : std::span<const Method>(kFrequencyOnly);
}

EncryptResult Encrypt(Method method, std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress) {
  EncryptResult result;
  if (method == Method::kFrequency)
    result.frequency = EncryptFrequency(input, output, key, progress);
  else
    EncryptFibonacci(input, output, key, progress);
  return result;
}

DecryptResult Decrypt(Method method, std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress) {
  DecryptResult result;
  result.method = method;
  if (method == Method::kFrequency)
    result.frequency = DecryptFrequency(input, output, key, progress);
  else
    result.fibonacci = DecryptFibonacci(input, output, key, progress);
  return result;
}

bool Accepted(const MethodChoice& choice, const DecryptResult& result) {
  if (!result.ok()) return false;
  return choice || result.method != Method::kFrequency || PlausibleFrequencyText(result.frequency);
}

}  // namespace qor

// How often decryption takes what it should refuse. Wrong keys, by size:
// for each method and plaintext size, files of generated Spanish text are
// encrypted under a random key and decrypted with a key wrong in one byte
// and with a random key, by `auto` and by the method named; a file counts
// as taken when some method accepts it (and would write an output). Then
// the right key under `auto`: how often it gives the file back by the
// method that made it. Damaged files: 1 KB files with the right key after
// one damage each, taken by `auto`.
//   refusal_rates [TRIALS]   (default 400 per row; fewer for large sizes)
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <vector>

#include "bench/memory_files.h"
#include "cipher/method.h"
#include "tests/cipher/texts.h"

namespace {

using qor::bench::Bytes;
using qor::bench::FileOf;

Bytes Encrypted(qor::Method method, const Bytes& plain, const qor::CipherKey& key) {
  std::FILE* in = FileOf(plain);
  std::FILE* out = std::tmpfile();
  if (!out) std::exit(1);
  qor::Encrypt(method, in, out, key);
  std::fflush(out);
  Bytes bytes(static_cast<std::size_t>(std::ftell(out)));
  std::rewind(out);
  if (std::fread(bytes.data(), 1, bytes.size(), out) != bytes.size()) std::exit(1);
  std::fclose(in);
  std::fclose(out);
  return bytes;
}

// The method that takes the file under `choice`, as the file layer tries them.
std::optional<qor::Method> TakenBy(const qor::MethodChoice& choice, const Bytes& encrypted, const qor::CipherKey& key) {
  for (qor::Method m : qor::MethodsToTry(choice)) {
    std::FILE* in = FileOf(encrypted);
    std::FILE* out = std::tmpfile();
    if (!out) std::exit(1);
    const qor::DecryptResult r = qor::Decrypt(m, in, out, key);
    std::fclose(in);
    std::fclose(out);
    if (qor::Accepted(choice, r)) return m;
  }
  return std::nullopt;
}

qor::CipherKey RandomKey(std::mt19937& rng) {
  std::string text(1 + rng() % qor::kMaxKeyLength, ' ');
  for (char& c : text) c = static_cast<char>(1 + rng() % 255);
  return qor::CipherKey(text);
}

qor::CipherKey OneByteOff(std::mt19937& rng, qor::CipherKey key) {
  const std::size_t i = rng() % static_cast<std::size_t>(key.length);
  key.bytes[i] = static_cast<std::uint8_t>(key.bytes[i] + 1 + rng() % 254);
  if (key.bytes[i] == 0) key.bytes[i] = 1;
  return key;
}

double Percent(int count, int of) { return 100.0 * count / of; }

void Damaged(std::mt19937& rng, int trials) {
  struct Damage {
    const char* what;
    void (*apply)(std::mt19937&, Bytes&);
  };
  const Damage damages[] = {
      {"one byte changed", [](std::mt19937& r, Bytes& b) { b[r() % b.size()] ^= static_cast<std::uint8_t>(1 + r() % 255); }},
      {"one byte appended", [](std::mt19937& r, Bytes& b) { b.push_back(static_cast<std::uint8_t>(r())); }},
      {"three bytes appended", [](std::mt19937& r, Bytes& b) { for (int i = 0; i < 3; ++i) b.push_back(static_cast<std::uint8_t>(r())); }},
      {"last byte cut", [](std::mt19937&, Bytes& b) { b.pop_back(); }},
      {"last three bytes cut", [](std::mt19937&, Bytes& b) { b.resize(b.size() - 3); }},
  };
  std::printf("\nDamaged 1 KB files, the right key: taken by auto, %%.\n\n| damage | fibonacci | frequency |\n|---|---:|---:|\n");
  for (const Damage& damage : damages) {
    int taken[2] = {0, 0};
    for (int m = 0; m < 2; ++m) {
      for (int i = 0; i < trials; ++i) {
        Bytes plain = qor::test::SpanishText(rng, 1024, qor::test::TextEncoding::kWindows1252);
        plain.resize(1024, ' ');
        const qor::CipherKey key = RandomKey(rng);
        Bytes encrypted = Encrypted(qor::kMethods[static_cast<std::size_t>(m)], plain, key);
        damage.apply(rng, encrypted);
        taken[m] += TakenBy(qor::kAutomatic, encrypted, key).has_value();
      }
    }
    std::printf("| %s | %.1f | %.1f |\n", damage.what, Percent(taken[0], trials), Percent(taken[1], trials));
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int trials = argc > 1 ? std::atoi(argv[1]) : 400;
  const std::size_t sizes[] = {5, 10, 16, 32, 64, 256, 1024, 4096};
  std::mt19937 rng(2026);
  std::printf("Generated Spanish text in Windows-1252, %d files a row (a quarter of that from 1024 bytes up).\n"
              "Wrong keys taken, %% (auto / the method named); right keys that auto gives back by the right "
              "method, %%.\n\n",
              trials);
  std::printf("| method | bytes | one byte off, auto | one byte off, named | random key, auto | random key, named "
              "| right key, auto |\n|---|---:|---:|---:|---:|---:|---:|\n");
  for (qor::Method method : qor::kMethods) {
    for (std::size_t size : sizes) {
      const int n = size >= 1024 ? trials / 4 : trials;
      int offAuto = 0, offNamed = 0, randomAuto = 0, randomNamed = 0, rightAuto = 0;
      for (int i = 0; i < n; ++i) {
        Bytes plain = qor::test::SpanishText(rng, size, qor::test::TextEncoding::kWindows1252);
        plain.resize(size, ' ');
        const qor::CipherKey key = RandomKey(rng);
        const Bytes encrypted = Encrypted(method, plain, key);
        const qor::CipherKey off = OneByteOff(rng, key), other = RandomKey(rng);
        offAuto += TakenBy(qor::kAutomatic, encrypted, off).has_value();
        offNamed += TakenBy(method, encrypted, off).has_value();
        randomAuto += TakenBy(qor::kAutomatic, encrypted, other).has_value();
        randomNamed += TakenBy(method, encrypted, other).has_value();
        rightAuto += TakenBy(qor::kAutomatic, encrypted, key) == method;
      }
      std::printf("| %s | %zu | %.1f | %.1f | %.1f | %.1f | %.1f |\n", std::string(qor::MethodName(method)).c_str(),
                  size, Percent(offAuto, n), Percent(offNamed, n), Percent(randomAuto, n), Percent(randomNamed, n),
                  Percent(rightAuto, n));
      std::fflush(stdout);
    }
  }
  Damaged(rng, trials);
  return 0;
}

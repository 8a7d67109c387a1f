// Encryption against decryption throughput, for both methods, through
// temporary files. Prints MB/s and the ratio.
//   decrypt_throughput [MIB]   (default 32)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/frequency.h"
#include "bench/memory_files.h"

namespace {

using qor::bench::Bytes;
using qor::bench::FileOf;

// Runs `step(in, out)` over `input`, returns seconds (best of three) and the output.
template <class Step>
double Time(const Bytes& input, Step step, Bytes* output) {
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    std::FILE* in = FileOf(input);
    std::FILE* out = std::tmpfile();
    const auto t0 = std::chrono::steady_clock::now();
    step(in, out);
    std::fflush(out);
    const auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    if (output && run == 0) {
      output->resize(static_cast<std::size_t>(std::ftell(out)));
      std::rewind(out);
      if (std::fread(output->data(), 1, output->size(), out) != output->size()) std::exit(1);
    }
    std::fclose(in);
    std::fclose(out);
  }
  return best;
}

Bytes Text(std::size_t size, bool accents, std::mt19937& rng) {
  const char* plain[] = {"el", "la", "de", "que", "y", "en", "un", "por", "con", "para", "como", "pero",
                         "todo", "casa", "tiempo", "mundo", "Madrid", "texto", "clave", "archivo"};
  const char* accented[] = {"m\xE1s", "tambi\xE9n", "canci\xF3n", "est\xE1", "a\xF1o", "d\xED" "a"};
  std::uniform_int_distribution<int> roll(0, 99);
  std::string s;
  while (s.size() < size) {
    if (accents && roll(rng) < 20)
      s += accented[roll(rng) % 6];
    else
      s += plain[roll(rng) % 20];
    s += roll(rng) < 10 ? ".\r\n" : " ";
  }
  s.resize(size);
  return Bytes(s.begin(), s.end());
}

void Row(const char* what, const Bytes& input, const qor::CipherKey& key, bool frequency) {
  Bytes encrypted;
  const double enc = Time(input, [&](std::FILE* in, std::FILE* out) {
    if (frequency)
      qor::EncryptFrequency(in, out, key);
    else
      qor::EncryptFibonacci(in, out, key);
  }, &encrypted);
  std::int64_t drops = 0;
  bool ok = true;
  const double dec = Time(encrypted, [&](std::FILE* in, std::FILE* out) {
    if (frequency) {
      const auto r = qor::DecryptFrequency(in, out, key);
      ok = r.ok(), drops = r.dropPoints;
    } else {
      ok = qor::DecryptFibonacci(in, out, key).ok();
    }
  }, nullptr);
  const double mb = static_cast<double>(input.size()) / 1e6;
  std::printf("%-34s encrypt %8.2f MB/s   decrypt %8.2f MB/s   decrypt/encrypt time %5.2fx%s", what,
              mb / enc, mb / dec, dec / enc, ok ? "" : "   (rejected!)");
  if (frequency) std::printf("   drop points %lld", static_cast<long long>(drops));
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mib = argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) : 32;
  const std::size_t size = mib << 20;
  std::mt19937 rng(5);
  const qor::CipherKey key("Clave77");
  Bytes random(size);
  for (auto& b : random) b = static_cast<std::uint8_t>(rng());
  std::printf("%zu MiB inputs, key of 7 bytes, best of 3 runs\n", mib);
  Row("Fibonacci, random bytes", random, key, false);
  Row("frequency, text without accents", Text(size, false, rng), key, true);
  // The search runs near every accent: a smaller text does.
  Row("frequency, Spanish text (1252), 1/16", Text(size / 16, true, rng), key, true);
}

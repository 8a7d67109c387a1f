// Throughput of both methods on in-memory files (tmpfile), so that the
// figures are the engine's, not the disk's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/frequency.h"

namespace {

std::vector<std::uint8_t> SpanishLikeText(std::size_t size) {
  static const char* words[] = {"el", "la", "de", "que", "y", "en", "un", "ser", "se", "no", "haber", "por",
                                "con", "su", "para", "como", "estar", "tener", "le", "lo", "todo", "pero",
                                "m\xE1s", "hacer", "o", "poder", "decir", "este", "ir", "otro", "ese", "a\xF1o",
                                "ni\xF1o", "Espa\xF1" "a", "canci\xF3n", "tambi\xE9n", "d\xED" "a", "\xBFQu\xE9?"};
  std::mt19937 rng(42);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
  std::vector<std::uint8_t> text;
  text.reserve(size + 16);
  std::size_t sinceBreak = 0;
  while (text.size() < size) {
    const std::string w = words[pick(rng)];
    text.insert(text.end(), w.begin(), w.end());
    sinceBreak += w.size() + 1;
    if (sinceBreak > 70) {
      text.push_back('\r');
      text.push_back('\n');
      sinceBreak = 0;
    } else {
      text.push_back(' ');
    }
  }
  text.resize(size);
  return text;
}

std::vector<std::uint8_t> RandomBytes(std::size_t size) {
  std::mt19937 rng(7);
  std::vector<std::uint8_t> b(size);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

template <typename Method>
void RunMethod(benchmark::State& state, const std::vector<std::uint8_t>& data, Method method) {
  std::FILE* in = std::tmpfile();
  std::fwrite(data.data(), 1, data.size(), in);
  std::fflush(in);
  const qor::CipherKey key("Cl\xE1ve7");
  for (auto _ : state) {
    std::FILE* out = std::tmpfile();
    std::rewind(in);
    method(in, out, key);
    std::fclose(out);
  }
  std::fclose(in);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_Frequency(benchmark::State& state) {
  static const auto text = SpanishLikeText(32 << 20);
  RunMethod(state, text, [](std::FILE* i, std::FILE* o, const qor::CipherKey& k) { qor::EncryptFrequency(i, o, k); });
}

void BM_Fibonacci(benchmark::State& state) {
  static const auto data = RandomBytes(32 << 20);
  RunMethod(state, data, [](std::FILE* i, std::FILE* o, const qor::CipherKey& k) { qor::EncryptFibonacci(i, o, k); });
}

BENCHMARK(BM_Frequency)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fibonacci)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// libFuzzer target: arbitrary bytes and keys into both decryptions, and
// encryption followed by decryption. Input: one control byte (low 2 bits the
// case, next 3 bits the key length - 1), the key bytes, then the data.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/code_table.h"
#include "cipher/frequency/frequency.h"
#include "cipher/frequency/single_drop_search.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

template <class Step>
Bytes Run(const Bytes& input, Step step) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  if (!in || !out) std::abort();
  if (!input.empty()) std::fwrite(input.data(), 1, input.size(), in);
  std::fflush(in);
  std::rewind(in);
  step(in, out);
  std::fflush(out);
  Bytes result(static_cast<std::size_t>(std::ftell(out)));
  std::rewind(out);
  if (!result.empty() && std::fread(result.data(), 1, result.size(), out) != result.size()) std::abort();
  std::fclose(in);
  std::fclose(out);
  return result;
}

void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
  }
}

Bytes EncryptFib(const Bytes& in, const qor::CipherKey& key) {
  return Run(in, [&](std::FILE* i, std::FILE* o) { qor::EncryptFibonacci(i, o, key); });
}
Bytes EncryptFreq(const Bytes& in, const qor::CipherKey& key) {
  return Run(in, [&](std::FILE* i, std::FILE* o) { qor::EncryptFrequency(i, o, key); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int mode = data[0] & 3;
  const std::size_t length = ((data[0] >> 2) & 7) % 7 + 1;
  if (size < 1 + length) return 0;
  const std::string keyText(reinterpret_cast<const char*>(data + 1), length);
  const qor::CipherKey key(keyText);
  if (key.length == 0) return 0;  // a zero first byte: no key the tools accept
  const Bytes body(data + 1 + length, data + size);

  switch (mode) {
    case 0: {  // foreign bytes as a Fibonacci file: what passes re-encrypts to itself
      qor::FibonacciDecryptResult r;
      const Bytes plain = Run(body, [&](std::FILE* i, std::FILE* o) { r = qor::DecryptFibonacci(i, o, key); });
      if (r.ok()) Check(EncryptFib(plain, key) == body, "accepted Fibonacci file re-encrypts to itself");
      break;
    }
    case 1: {  // foreign bytes as a frequency file
      qor::FrequencyDecryptResult r;
      const Bytes plain = Run(body, [&](std::FILE* i, std::FILE* o) { r = qor::DecryptFrequency(i, o, key); });
      if (r.ok()) Check(plain.size() == body.size(), "one character a code");
      if (r.ok() && r.dropPoints == 0 && r.counterFixes == 0)
        Check(EncryptFreq(plain, key) == body, "a reading without drops re-encrypts to itself");
      break;
    }
    case 2: {  // Fibonacci round trip: always exact
      qor::FibonacciDecryptResult r;
      const Bytes enc = EncryptFib(body, key);
      const Bytes plain = Run(enc, [&](std::FILE* i, std::FILE* o) { r = qor::DecryptFibonacci(i, o, key); });
      Check(r.ok(), "Fibonacci round trip accepted");
      Check(plain == body || (body.empty() && r.couldBeEmpty && plain == Bytes{0}), "Fibonacci round trip exact");
      break;
    }
    default: {  // frequency round trips
      qor::FrequencyDecryptResult r;
      const Bytes enc = EncryptFreq(body, key);
      Bytes plain = Run(enc, [&](std::FILE* i, std::FILE* o) { r = qor::DecryptFrequency(i, o, key); });
      if (r.ok()) Check(plain.size() == enc.size(), "frequency round trip keeps the length");
      // Made of coded characters (F aside, whose code the fourth E shares),
      // the text comes back exactly.
      static const Bytes coded = [] {
        Bytes c;
        for (int b = 0; b < 256; ++b)
          if (!qor::FrequencyCodeTable[static_cast<std::size_t>(b)].Dropped() && b != 'F')
            c.push_back(static_cast<std::uint8_t>(b));
        return c;
      }();
      Bytes text = body;
      for (auto& b : text) b = coded[b % coded.size()];
      plain = Run(EncryptFreq(text, key), [&](std::FILE* i, std::FILE* o) { r = qor::DecryptFrequency(i, o, key); });
      // But for its last few bytes: where they read as noise as coded and
      // as text after a drop, the codes cannot tell, and the drop is taken.
      const auto kept = static_cast<std::ptrdiff_t>(text.size()) -
                        std::min<std::ptrdiff_t>(qor::SingleDropSearch::kEndLookBack, static_cast<std::ptrdiff_t>(text.size()));
      const bool tailRead = r.ok() && r.dropPoints == 1 && plain.size() == text.size() &&
                            std::equal(text.begin(), text.begin() + kept, plain.begin());
      Check((r.ok() && r.dropPoints == 0 && plain == text) || tailRead, "coded text round trip exact");
      break;
    }
  }
  return 0;
}

#include "tests/cipher/reference.h"

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/code_table.h"
#include "cipher/stream_io.h"

namespace qor::test {

void PackForms(const FibonacciDigits& first, const FibonacciDigits& second, FibonacciGroup& group) {
  // Bit b of the 24, counted from bit 7 of byte 0.
  const auto set = [&group](int b) { group[b / 8] = static_cast<std::uint8_t>(group[b / 8] | 0x80 >> (b % 8)); };
  for (int i = 0; i < 12; ++i) {
    if (first[i]) set(i);
    if (second[i]) set(23 - i);
  }
}

std::int32_t FormValue(const FibonacciDigits& digits, const FibonacciBasis& basis) {
  std::int32_t sum = 0;
  for (int i = 0; i < 12; ++i)
    if (digits[i]) sum += basis[i];
  return sum;
}

std::optional<std::uint8_t> NextFrequencyCode(std::uint8_t byte, FrequencyCounters& counters) {
  const FrequencyCode& c = FrequencyCodeTable[byte];
  if (c.Dropped()) return std::nullopt;
  std::uint8_t& counter = counters.count[byte];
  const auto code = static_cast<std::uint8_t>(c.first + counter);
  if (++counter == c.cycle) counter = 0;
  return code;
}

void ReferenceFrequency(std::FILE* input, std::FILE* output, const CipherKey& key) {
  FrequencyCounters counters;
  std::int64_t position = 0;
  const std::int64_t size = StreamSize(input);
  while (position < size) {
    const auto byte = static_cast<std::uint8_t>(std::getc(input));
    ++position;
    const auto code = NextFrequencyCode(byte, counters);
    if (!code) continue;
    std::uint8_t c = *code;
    MixStreamByte(c, position, key);
    std::putc(c, output);
  }
}

void ReferenceFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key) {
  RepresentationTable table{};
  std::int64_t p = 0;
  const std::int64_t n = StreamSize(input);
  do {
    FibonacciGroup group{};
    std::int32_t x = 0, y = 0;
    if (p < n) x = std::getc(input) & 0xFF;
    ++p;
    if (p < n) y = std::getc(input) & 0xFF;
    ++p;
    HalfTurn(x);
    NextRepresentation(x, kFibonacciBasis, table);
    const FibonacciDigits a = table[x];
    HalfTurn(y);
    NextRepresentation(y, kFibonacciBasis, table);
    PackForms(a, table[y], group);
    MixTriplet(group, p, key);
    std::putc(group[0], output);
    std::putc(group[1], output);
    if (p <= n) std::putc(group[2], output);
  } while (p < n);
}

}  // namespace qor::test

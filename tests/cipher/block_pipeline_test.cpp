// The block loops cut into the smallest blocks, on the caller's thread and
// on one to three workers, against the byte-by-byte description: inputs
// whose ends and damage fall around every block boundary and around the
// ring's wrapping, with keys of every length; and a run stopped by its
// progress ends on the block it was told to.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/drop_count.h"
#include "cipher/frequency/frequency.h"
#include "tests/cipher/reference.h"
#include "tests/cipher/streams.h"

namespace qor {
namespace {

using test::Bytes;
using test::RunMethod;

constexpr std::size_t kLane = kLaneUnit;
constexpr std::size_t kBlock = 2 * kLane;

// Text with dropped bytes, runs of one letter (a counter in every phase at
// a boundary) and runs of dropped bytes that cross the block boundaries.
Bytes TextLike(std::mt19937& rng, std::size_t size) {
  Bytes b = test::RandomBytes(rng, size);
  for (auto& x : b)
    if (x >= 0x80 && x % 4 != 0) x = static_cast<std::uint8_t>(x % 0x60 + 0x20);
  for (std::size_t edge = kLane; edge < size; edge += kLane) {
    const std::size_t run = edge % 7 + 1;
    for (std::size_t i = edge - std::min(edge, run); i < std::min(size, edge + run); ++i)
      b[i] = edge / kLane % 2 == 0 ? 0xE9 : 'a';  // é is dropped
  }
  return b;
}

Bytes Decrypted(const Bytes& encrypted, const CipherKey& key, const BlockPlan& plan, FibonacciDecryptResult& result) {
  return RunMethod([&](std::FILE* in, std::FILE* out, const CipherKey& k) { result = DecryptFibonacci(in, out, k, {}, plan); },
                   encrypted, key);
}

TEST(BlockPipelineTest, EveryPlanGivesTheBytesOfTheDescription) {
  const std::size_t sizes[] = {0, 1, 2, 3, 419, 420, 421, kLane - 2, kLane - 1, kLane, kLane + 1, kLane + 2,
                               kBlock - 1, kBlock, kBlock + 1, kBlock + kLane + 3, 2 * kBlock + 419, 3 * kBlock - 1,
                               9 * kLane + 5};
  const BlockPlan plans[] = {{kLane, 0}, {kLane, 1}, {kLane, 2}, {kLane, 3}, {3 * kLane, 2}};
  struct Method {
    const char* name;
    bool text;
    void (*encrypt)(std::FILE*, std::FILE*, const CipherKey&, const Progress&, const BlockPlan&);
    void (*reference)(std::FILE*, std::FILE*, const CipherKey&);
  };
  const auto frequency = [](std::FILE* in, std::FILE* out, const CipherKey& k, const Progress& p,
                            const BlockPlan& b) { EncryptFrequency(in, out, k, p, b); };
  const Method methods[] = {{"frequency", true, frequency, test::ReferenceFrequency},
                            {"fibonacci", false, EncryptFibonacci, test::ReferenceFibonacci}};
  std::mt19937 rng(16);
  for (const Method& method : methods) {
    for (std::size_t size : sizes) {
      for (int length = 1; length <= kMaxKeyLength; ++length) {
        std::string text(static_cast<std::size_t>(length), ' ');
        for (auto& c : text) c = static_cast<char>(rng() % 255 + 1);
        const CipherKey key(text);
        const Bytes input = method.text ? TextLike(rng, size) : test::RandomBytes(rng, size);
        const Bytes expected = RunMethod(method.reference, input, key);
        for (const BlockPlan& plan : plans) {
          SCOPED_TRACE(std::string(method.name) + " size " + std::to_string(size) + " key length " +
                       std::to_string(length) + " block " + std::to_string(plan.block) + " workers " +
                       std::to_string(plan.workers));
          const Bytes encrypted = RunMethod(
              [&](std::FILE* in, std::FILE* out, const CipherKey& k) { method.encrypt(in, out, k, {}, plan); }, input, key);
          ASSERT_EQ(encrypted, expected);
          if (method.text) {
            // The drop places are counted in input order, whatever the plan.
            DropCount whole(key);
            whole.Add(input.data(), input.size());
            FrequencyEncryptResult counted;
            RunMethod([&](std::FILE* in, std::FILE* out, const CipherKey& k) { counted = EncryptFrequency(in, out, k, {}, plan); },
                      input, key);
            EXPECT_EQ(counted.dropPlaces, whole.Result().dropPlaces);
            EXPECT_EQ(counted.codedBytes, whole.Result().codedBytes);
            EXPECT_EQ(counted.tooManyDrops, whole.Result().tooManyDrops);
          }

          // Told to stop at the second block's end: the first two blocks'
          // output and nothing after, whatever the workers had done ahead.
          int calls = 0;
          const Bytes stopped = RunMethod(
              [&](std::FILE* in, std::FILE* out, const CipherKey& k) {
                method.encrypt(in, out, k, [&](std::int64_t, std::int64_t) { return ++calls < 2; }, plan);
              },
              input, key);
          const Bytes twoBlocks =
              RunMethod(method.reference, Bytes(input.begin(), input.begin() + std::min(size, 2 * plan.block)), key);
          EXPECT_EQ(stopped, size > 2 * plan.block ? twoBlocks : expected);
          if (method.text) continue;

          FibonacciDecryptResult result;
          EXPECT_EQ(Decrypted(encrypted, key, plan, result), size == 0 ? Bytes{0x00} : input);
          EXPECT_TRUE(result.ok());
          // Damage in the first block, just after it and in the last group:
          // the same refusal and the same output as on one thread.
          for (std::size_t at : {kLane - 1, kLane + 4, encrypted.size() - 1}) {
            if (at >= encrypted.size()) continue;
            Bytes damaged = encrypted;
            damaged[at] ^= 0x10;
            FibonacciDecryptResult one, two;
            const Bytes byOne = Decrypted(damaged, key, {plan.block, 0}, one);
            EXPECT_EQ(Decrypted(damaged, key, plan, two), byOne) << "damage at " << at;
            EXPECT_EQ(two.status, one.status) << "damage at " << at;
            EXPECT_EQ(two.badOffset, one.badOffset) << "damage at " << at;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace qor

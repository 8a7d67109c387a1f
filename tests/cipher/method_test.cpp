// The method concept: its words both ways, the dispatch to each method, the
// automatic choice's order, and a run stopped from its progress callback.
#include "cipher/method.h"

#include <gtest/gtest.h>

#include "tests/cipher/streams.h"

namespace qor {
namespace {

using test::Bytes;

TEST(MethodTest, WordsNameEachChoiceBothWays) {
  for (const MethodChoice choice : {kAutomatic, MethodChoice(Method::kFibonacci), MethodChoice(Method::kFrequency)}) {
    MethodChoice parsed = choice ? kAutomatic : MethodChoice(Method::kFrequency);  // anything else
    EXPECT_TRUE(ParseChoice(ChoiceName(choice), parsed));
    EXPECT_EQ(parsed, choice) << ChoiceName(choice);
  }
  for (Method m : kMethods) EXPECT_EQ(MethodNamed(MethodName(m)), m);
  EXPECT_EQ(MethodNamed("auto"), std::nullopt);
  MethodChoice untouched = Method::kFibonacci;
  for (const char* word : {"Fibonacci", "", "autom"}) EXPECT_FALSE(ParseChoice(word, untouched)) << word;
  EXPECT_EQ(untouched, MethodChoice(Method::kFibonacci));
}

TEST(MethodTest, AutomaticTriesFibonacciThenFrequency) {
  const auto all = MethodsToTry(kAutomatic);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], Method::kFibonacci);
  EXPECT_EQ(all[1], Method::kFrequency);
  for (Method m : kMethods) {
    const auto one = MethodsToTry(m);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], m);
  }
}

// Runs `run` over the input with a callback that stops at its first call.
template <class Run>
Bytes StoppedAtFirstBlock(const Bytes& input, Run run) {
  return test::RunMethod(
      [&](std::FILE* in, std::FILE* out, const CipherKey& key) { run(in, out, key, [](std::int64_t, std::int64_t) { return false; }); },
      input, CipherKey("Stop1"));
}

TEST(MethodTest, EachMethodRoundTripsThroughTheDispatchAndStopsWhenAsked) {
  std::mt19937 rng(11);
  Bytes input(1 << 22);  // several blocks
  for (auto& b : input) b = static_cast<std::uint8_t>("abcde fghij\r\n"[rng() % 13]);
  const CipherKey key("Stop1");
  for (Method m : kMethods) {
    SCOPED_TRACE(std::string(MethodName(m)));
    const Bytes whole = test::RunMethod(
        [m](std::FILE* in, std::FILE* out, const CipherKey& k) { Encrypt(m, in, out, k); }, input, key);
    DecryptResult result;
    const Bytes back = test::RunMethod(
        [&](std::FILE* in, std::FILE* out, const CipherKey& k) { result = Decrypt(m, in, out, k); }, whole, key);
    EXPECT_EQ(result.method, m);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(back, input);

    // Stopped after its first block, a run leaves a true prefix of its output.
    const Bytes cut = StoppedAtFirstBlock(input, [m](std::FILE* in, std::FILE* out, const CipherKey& k, const Progress& p) {
      Encrypt(m, in, out, k, p);
    });
    EXPECT_GT(cut.size(), 0u);
    EXPECT_LT(cut.size(), whole.size() / 4);
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), whole.begin()));
    const Bytes partly = StoppedAtFirstBlock(whole, [&](std::FILE* in, std::FILE* out, const CipherKey& k, const Progress& p) {
      result = Decrypt(m, in, out, k, p);
    });
    EXPECT_EQ(result.status(), DecryptStatus::kStopped);
    EXPECT_LT(partly.size(), input.size() / 4);
  }
}

}  // namespace
}  // namespace qor

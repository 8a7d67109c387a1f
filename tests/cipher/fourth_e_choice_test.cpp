#include "cipher/frequency/fourth_e_choice.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cipher/frequency/code_reader.h"
#include "tests/cipher/streams.h"

namespace qor {
namespace {

// What comes out of the choice when `decoded` is put in pieces of the
// given sizes in turn, the last one repeated to the end.
std::string Chosen(const std::string& decoded, const std::vector<std::size_t>& pieces) {
  const test::Bytes out = test::RunMethod(
      [&](std::FILE*, std::FILE* output, const CipherKey&) {
        BlockWriter writer(output, 16, static_cast<std::int64_t>(decoded.size()));
        FourthEChoice choice(writer, 16);
        for (std::size_t at = 0, p = 0; at < decoded.size(); p = std::min(p + 1, pieces.size() - 1)) {
          const std::size_t n = std::min(pieces[p], decoded.size() - at);
          choice.Put(reinterpret_cast<const std::uint8_t*>(decoded.data()) + at, n);
          at += n;
        }
        choice.Finish();
      },
      {}, CipherKey("k"));
  return {out.begin(), out.end()};
}

// The words remembered and the runs held back do not depend on how the
// decoded bytes arrive: whole, a byte at a time, or cut anywhere in a word
// or a run.
TEST(FourthEChoiceTest, PiecesDoNotChangeTheChoice) {
  const std::string m(1, static_cast<char>(kFourthEMark));
  const std::string decoded = "Si se lee EOF, sale. Es Es " + m + "OF, y Es fin. Use -t DF aqui. Es Es " + m +
                              "l DF y Es fin. BLAKE2b FICHERO " + m + "F" + m + " E";
  const std::string whole = Chosen(decoded, {decoded.size()});
  EXPECT_NE(whole.find("Es Es EOF, y"), std::string::npos) << whole;
  EXPECT_NE(whole.find("El DF y"), std::string::npos) << whole;
  std::mt19937 rng(7);
  std::vector<std::size_t> odd;
  for (int i = 0; i < 40; ++i) odd.push_back(1 + rng() % 9);
  for (const std::vector<std::size_t>& pieces : {std::vector<std::size_t>{1}, odd, {13, 2, 7}, {29}})
    EXPECT_EQ(Chosen(decoded, pieces), whole);
}

}  // namespace
}  // namespace qor

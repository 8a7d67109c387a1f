#include "cipher/frequency/fourth_e_choice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "cipher/frequency/code_reader.h"

namespace qor {
namespace {

// What comes out of the choice when `decoded` is put in pieces of the
// given sizes, in turn, the last one repeated to the end.
std::string Chosen(const std::string& decoded, const std::vector<std::size_t>& pieces) {
  std::FILE* out = std::tmpfile();
  {
    BlockWriter writer(out, 16, static_cast<std::int64_t>(decoded.size()));
    FourthEChoice choice(writer, 16);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(decoded.data());
    for (std::size_t at = 0, p = 0; at < decoded.size(); p = std::min(p + 1, pieces.size() - 1)) {
      const std::size_t n = std::min(pieces[p], decoded.size() - at);
      choice.Put(bytes + at, n);
      at += n;
    }
    choice.Finish();
  }
  std::string s(static_cast<std::size_t>(std::ftell(out)), '\0');
  std::rewind(out);
  EXPECT_EQ(std::fread(s.data(), 1, s.size(), out), s.size());
  std::fclose(out);
  return s;
}

// The words remembered and the runs held back do not depend on how the
// decoded bytes arrive: whole, a byte at a time, in odd pieces, or cut in
// the middle of a word or a run.
TEST(FourthEChoiceTest, PiecesDoNotChangeTheChoice) {
  const std::string m(1, static_cast<char>(kFourthEMark));
  const std::string decoded = "Si se lee EOF, sale. Es Es " + m + "OF, y Es fin. Use -t DF aqui. Es Es " + m +
                              "l DF y Es fin. BLAKE2b FICHERO " + m + "F" + m + " E";
  const std::string expected = Chosen(decoded, {decoded.size()});
  EXPECT_NE(expected.find("Es Es EOF, y"), std::string::npos) << expected;
  EXPECT_NE(expected.find("El DF y"), std::string::npos) << expected;
  std::mt19937 rng(7);
  std::vector<std::size_t> odd;
  for (int i = 0; i < 40; ++i) odd.push_back(1 + rng() % 9);
  for (const std::vector<std::size_t>& pieces : {std::vector<std::size_t>{1}, odd, {13, 2, 7}, {29}})
    EXPECT_EQ(Chosen(decoded, pieces), expected);
}

}  // namespace
}  // namespace qor

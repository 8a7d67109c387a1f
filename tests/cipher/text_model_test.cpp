#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "cipher/frequency/code_reader.h"
#include "cipher/frequency/text_model.h"

namespace qor {
namespace {

// What a reading costs, from the start of a sentence; `dropAfter` bytes in,
// bytes had been dropped.
int CostOf(const std::string& text, std::size_t dropAfter = std::string::npos) {
  const TextModel& model = TextModel::Shared();
  std::uint8_t beforeLast = TextModel::kStartBeforeLast, last = TextModel::kStartLast;
  int cost = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(text[i]);
    cost += i == dropAfter ? model.CostAfterDrop(beforeLast, last, b) : model.Cost(beforeLast, last, b);
    beforeLast = last, last = b;
  }
  return cost;
}

// Each pair's text costs less than its misreading.
struct Misreading {
  const char* likely;
  const char* unlikely;
};
void ExpectEachCheaper(std::initializer_list<Misreading> cases) {
  for (const Misreading& c : cases) EXPECT_LT(CostOf(c.likely), CostOf(c.unlikely)) << c.unlikely;
}

// Readings that a drop search weighs against each other have the same
// characters' classes; the letters decide, in either case and language.
TEST(TextModelTest, LikelyWordsCostLessThanTheirMisreadings) {
  ExpectEachCheaper({
      {"la casa de la playa", "la cqsa de la plwya"},
      {"informacion tecnica", "informaxion tecjica"},
      {"LA CASA DE LA PLAYA", "LA CQSA DE LA PLWYA"},
      {"the file format", "the fize formkt"},
      {"Seccion 5.6, Infraestructura", "Seccion 5.6, Ixfraestructura"},
      {"CAMPA\xD1" "A", "CAMPAZA"},  // Ñ pairs as N
  });
}

// Where an accented letter was dropped, its neighbours were not next to
// each other but on either side of a vowel: "más" reads "ms", which there
// costs no more than "mi"; "algún" reads "algn", which costs less than the
// misreading "alyn" of the same drop a byte early.
TEST(TextModelTest, PairsAcrossADropAreMadeWithAVowel) {
  EXPECT_GT(CostOf("es ms"), CostOf("es mi"));
  EXPECT_LE(CostOf("es ms", 4), CostOf("es mi", 4));
  EXPECT_LT(CostOf("un algn error", 6), CostOf("un alyn error", 5));
  EXPECT_LT(CostOf("MAYSCULA", 3), CostOf("MAGSCULA", 2));
}

// No-break spaces, which the method drops, indent the lines of
// documentation, most after a blank line: the second line end read as a
// letter or a digit under the shift after the drop, the drop a byte early,
// cost less than the indent it was ("\nO For", "\n2 The").
TEST(TextModelTest, AnIndentOfDroppedSpacesCostsLessThanAMisreadLineEnd) {
  const struct {
    const char* likely;
    const char* misread;
  } cases[] = {
      {"edit\n\n For the", "edit\nO For the"},
      {"socket\n\n Then", "socket\nO Then"},
      {"Unix.\n\n Necesita", "Unix.\n2 Necesita"},
      {"table|\n |after", "table|\t2 |after"},
  };
  for (const auto& c : cases) {
    // The drop is before the space in the one, a byte earlier in the other.
    const std::size_t drop = std::string(c.likely).find("\n ") + 1;
    EXPECT_LT(CostOf(c.likely, drop), CostOf(c.misread, drop - 1)) << c.misread;
  }
}

// Spanish closes its quotes before a comma, so bytes dropped between a
// mark and a space are seldom there: an accent at a line's end, with the
// line end read as a comma before the drop, cost less than it was.
TEST(TextModelTest, AnAccentAtALineEndCostsLessThanADropAfterAComma) {
  EXPECT_LT(CostOf("no lo intentar\n       ejecutar", 14), CostOf("no lo intentar,       ejecutar", 15));
  EXPECT_LT(CostOf("la cola est\n   de salida", 11), CostOf("la cola est,   de salida", 12));
}

// A line end or space misread as a letter leaves it a word alone: that
// costs more than the blank line or indent it was, save for the vowels and
// y, which are words in either language.
TEST(TextModelTest, RareLettersAloneCostMore) {
  ExpectEachCheaper({
      {"fin.\n\n   Los", "fin.\nH   Los"},
      {"fin.\n\n   Los", "fin.\nN   Los"},
      {"ver la tabla", "ver lr tabla"},
      {"de X, Y o Z", "de X, Y q Z"},
  });
  // Dropped bytes after the letter may have finished a word of two ("sé"),
  // not after one that seldom starts such a word.
  EXPECT_GT(CostOf("es s cosa"), CostOf("es s cosa", 4));
  EXPECT_GT(CostOf("es h cosa", 4) - CostOf("es s cosa", 4), CostOf("es h") - CostOf("es s"));
}

// A control character is rarer in text than a drop, or than two unlikely
// marks: a reading that makes one is nearly always misread.
TEST(TextModelTest, ControlCharactersCostMoreThanRareMarks) {
  ExpectEachCheaper({
      {"ver {} la", "ver \x02 la"},
      {"ver |la", "ver \x1Bla"},
      {"fin.\n\tLos", "fin.\n\x0ELos"},
  });
  EXPECT_GT(CostOf("ver \x02la") - CostOf("ver la"), 16);
}

// A carriage return is text only before a line end: a slash after a
// dropped guillemet is not one.
TEST(TextModelTest, ACarriageReturnAloneCostsMore) {
  ExpectEachCheaper({{"uno\r\ndos", "uno\rdos"}, {"en /etc/apt", "en \retc/apt"}});
}

// The mark of a code 14 read as the fourth E is weighed as an E.
TEST(TextModelTest, TheFourthEMarkReadsAsE) {
  const std::string asMark = std::string("SE") + static_cast<char>(kFourthEMark) + "D";
  EXPECT_EQ(CostOf(asMark), CostOf("SEED"));
  EXPECT_EQ(TextModel::Shared().LetterTripleCost('T', 'R', kFourthEMark),
            TextModel::Shared().LetterTripleCost('t', 'r', 'e'));
}

}  // namespace
}  // namespace qor

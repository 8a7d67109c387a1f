#include "cipher/frequency/text_model.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "cipher/frequency/code_reader.h"
#include "cipher/frequency/letter_triples.h"

namespace qor {

namespace {

// Letter pairs at most this costly are common in either language and cost
// nothing more than their classes; a rarer pair costs its excess over this,
// so that text keeps about the costs the noise test was set on while a
// reading that makes unlikely words loses to one that makes likely ones.
// At 4, 1 KB pieces of the manual pages were refused twice as often.
constexpr int kCommonPairCost = 5;
// A letter alone between a word's edges is a word of one letter: common
// for the vowels and y in either language, rare for the others, which a
// reading makes where it takes a line end or a space for a letter.
constexpr int kRareLoneLetterCost = 6;
constexpr const char* kLoneLetters = "aeiouy";
// Where bytes were dropped after the letter, they may have been the rest of
// a word of two: an accented vowel, as in "sé", "dé", "mí" or "tú".
constexpr const char* kLoneLettersBeforeDrop = "aeiouydmst";

// Bytes dropped between two letters were an accented letter, nearly always
// a vowel: the letters on either side make pairs with it, and a reading
// whose letters make no likely pair with any vowel between them costs the
// excess. A letter after a drop cost its class alone before, so a drop a
// byte early, with the letter next to it misread ("alyn" for "alg\xFAn"),
// cost no more than the right one. At 6, a quarter of the wrong bytes of
// the manual pages went; at 5 or 4 more 1 KB pieces were refused.
constexpr const char* kDroppedVowels = "aeiou";
constexpr int kCommonAccentGapCost = 6;

// Two capitals in a word make a word in capitals, an acronym or a heading
// ("DESCRIPCI\xD3N", "MAY\xDASCULA", "RFC"): a lowercase letter rarely
// follows, a capital more often than after one capital. Without it, a byte
// next to a dropped accent in such a word was read as a lowercase letter
// or a mark under the wrong shift; a quarter of the wrong bytes of the
// manual pages went.
constexpr int kLowerAfterCapitals = 8, kCapitalAfterCapitalsLess = 1;

// Bytes dropped between a closing mark and a line end: text puts no accent
// and hardly a quotation mark there. A heading in capitals ending in a
// dropped accent and a letter ("TRADUCCI\xD3N") came back with the letter
// read as a comma before such a drop; this takes a sixteenth of the wrong
// bytes of the manual pages.
constexpr int kDropBeforeLineAfterMarkCost = 4;
// Nor before a space, where Spanish closes its quotes before the mark: an
// accent at a line's end ("est\xE1\n") came back with the line end read as a
// comma before such a drop. At 2 a fourteenth of the wrong bytes of the
// manual pages went; at 4 fewer.
constexpr int kDropBeforeSpaceAfterMarkCost = 2;

// Text holds hardly any control characters; a wrong shift reads one in
// six codes as one. At 9 a reading would take one rather than a second
// drop place; at 24 it seldom does.
constexpr std::uint8_t kControlCost = 24;

// The cost of a class of character after a class, about in bits. Rows: the
// class of the last character, or a sentence's start for a space or line
// end after the end of a sentence. Columns: the class of the byte. A drop
// placed a byte off often turns a line end next to no-break spaces into a
// digit ("Unix.\n2 Necesita"): a digit opening a line or a sentence, and a
// space after a digit, cost a little more than they did, and a blank line
// after a sentence nothing; a tenth fewer wrong bytes in the references.
constexpr std::uint8_t kCostAfter[10][9] = {
    // low up digit space close mark line control return
    {0, 5, 4, 0, 0, 2, 1, 0, 1},  // after a lowercase letter
    {0, 1, 4, 0, 0, 2, 1, 0, 1},  // after an uppercase letter
    {4, 4, 0, 1, 0, 1, 1, 0, 1},  // after a digit
    {0, 1, 0, 3, 4, 1, 2, 0, 2},  // after a space
    {3, 3, 2, 0, 2, 2, 0, 0, 0},  // after , . ; : ? ! ) "
    {1, 1, 1, 1, 2, 2, 1, 0, 1},  // after another mark
    {1, 0, 2, 1, 3, 1, 0, 0, 0},  // after a line end or tab
    {0, 0, 0, 0, 0, 0, 0, 0, 0},  // after a control character
    // After a carriage return only a line end is text. A return alone
    // costs a rare mark's more; at a control character's cost, coded
    // bytes with no drops at all took a drop at the end more often.
    {8, 8, 8, 8, 8, 8, 0, 8, 8},
    {3, 0, 2, 2, 4, 1, 0, 0, 1},  // a sentence begins
};

}  // namespace

const TextModel& TextModel::Shared() {
  static const TextModel model;
  return model;
}

TextModel::TextModel() {
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<std::uint8_t>(b);
    classOf_[c] = ClassOf(c);
    costAlone_[c] = CostAlone(c);
  }
  // The mark of a code read as the fourth E stands for E.
  classOf_[kFourthEMark] = classOf_['E'];
  costAlone_[kFourthEMark] = costAlone_['E'];
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<std::uint8_t>(b);
    const bool edge = classOf_[c] == kSpace || classOf_[c] == kLine || classOf_[c] == kReturn;
    quoteSideOf_[c] = static_cast<std::uint8_t>((edge || c == '(' ? kBeforeWord : 0) |
                                                (edge || classOf_[c] == kClosingMark ? kAfterWord : 0) |
                                                (LetterOf(c) != kNoLetter ? kLetter : 0));
  }
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<std::uint8_t>(b);
    const int letter = LetterOf(c);
    const std::uint8_t cls = classOf_[c];
    const auto row = static_cast<std::uint8_t>(letter != kNoLetter ? letter + 26 * (cls == kUpper) : kLetterRows + cls);
    const auto wordStart = static_cast<std::uint8_t>(letter != kNoLetter ? kLoneRow + row : row);
    rowAfter_[kInWord][c] = row;
    rowAfter_[kCapitalInWord][c] = cls == kUpper && letter != kNoLetter ? static_cast<std::uint8_t>(kCapitalsRow + letter) : row;
    rowAfter_[kWordEdge][c] = wordStart;
    rowAfter_[kSentenceEnd][c] = cls == kSpace || cls == kLine ? kLetterRows + kSentenceStart : wordStart;
    const bool endsSentence = c == '.' || c == '?' || c == '!' || c == '\n';
    kindOf_[c] = letter != kNoLetter ? (cls == kUpper ? kCapitalInWord : kInWord) : endsSentence ? kSentenceEnd : kWordEdge;
  }
  // The rows after each letter and each context; those of lone letters
  // follow from their letters' rows below.
  for (int row = 0; row < kLoneRow; ++row) {
    const int last = row < kLetterRows ? row % 26 : kNoLetter;
    const int context = row < kLetterRows ? (row < 26 ? kLower : kUpper) : row - kLetterRows;
    for (int b = 0; b < 256; ++b) {
      const auto c = static_cast<std::uint8_t>(b);
      int cost = costAlone_[c] + kCostAfter[context][classOf_[c]];
      // Within and at the edges of words, how likely the letters are.
      const int letter = LetterOf(c);
      const int excess = last != kNoLetter || (letter != kNoLetter && context != kDigit && context != kControl)
                             ? std::max(0, PairCost(last, letter) - kCommonPairCost)
                             : 0;
      cost_[static_cast<std::size_t>(row)][c] = static_cast<std::uint8_t>(cost + excess);
      afterDropCost_[static_cast<std::size_t>(row)][c] = static_cast<std::uint8_t>(cost + AccentGapExcess(last, letter));
    }
  }
  // A letter that began a word costs the same as any, except where the word
  // ends right after it.
  for (int row = 0; row < kLetterRows; ++row) {
    const bool rare = std::strchr(kLoneLetters, 'a' + row % 26) == nullptr;
    const bool rareBeforeDrop = std::strchr(kLoneLettersBeforeDrop, 'a' + row % 26) == nullptr;
    for (int b = 0; b < 256; ++b) {
      const auto c = static_cast<std::uint8_t>(b);
      const bool wordEnds = classOf_[c] == kSpace || classOf_[c] == kClosingMark || classOf_[c] == kLine ||
                            classOf_[c] == kReturn;
      cost_[static_cast<std::size_t>(kLoneRow + row)][c] = static_cast<std::uint8_t>(
          cost_[static_cast<std::size_t>(row)][c] + (rare && wordEnds ? kRareLoneLetterCost : 0));
      afterDropCost_[static_cast<std::size_t>(kLoneRow + row)][c] = static_cast<std::uint8_t>(
          afterDropCost_[static_cast<std::size_t>(row)][c] + (rareBeforeDrop && wordEnds ? kRareLoneLetterCost : 0));
    }
  }
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<std::uint8_t>(b);
    std::uint8_t& cost = afterDropCost_[kLetterRows + kClosingMark][c];
    if (classOf_[c] == kLine || classOf_[c] == kReturn) cost = static_cast<std::uint8_t>(cost + kDropBeforeLineAfterMarkCost);
    if (classOf_[c] != kSpace) continue;
    cost = static_cast<std::uint8_t>(cost + kDropBeforeSpaceAfterMarkCost);
    // Bytes dropped at a line's start before a space are most often
    // no-break spaces that indent the line with it, as documentation does
    // after a blank line; they cost the space alone. At the cost of a space
    // after a line end, the second line end read under the shift after them
    // with the drop a byte early cost no more ("\nO For", "\n2 Necesita"):
    // a quarter of the wrong bytes of the English reference, 5% of the
    // Spanish one's, 8% of its UTF-8 form's.
    for (const int context : {kLine, kSentenceStart}) afterDropCost_[kLetterRows + context][c] = costAlone_[c];
  }
  // After two capitals in a word, from the rows after the second.
  for (int letter = 0; letter < 26; ++letter) {
    const auto from = static_cast<std::size_t>(26 + letter), to = static_cast<std::size_t>(kCapitalsRow + letter);
    for (int b = 0; b < 256; ++b) {
      const auto c = static_cast<std::uint8_t>(b);
      const int change = classOf_[c] == kLower ? kLowerAfterCapitals : classOf_[c] == kUpper ? -kCapitalAfterCapitalsLess : 0;
      cost_[to][c] = static_cast<std::uint8_t>(std::max(0, cost_[from][c] + change));
      afterDropCost_[to][c] = static_cast<std::uint8_t>(std::max(0, afterDropCost_[from][c] + change));
    }
  }
}

int TextModel::AccentGapExcess(int last, int letter) {
  if (last == kNoLetter || letter == kNoLetter) return 0;
  int best = std::numeric_limits<int>::max();
  for (const char* v = kDroppedVowels; *v != '\0'; ++v)
    best = std::min(best, PairCost(last, *v - 'a') + PairCost(*v - 'a', letter));
  return std::max(0, best - kCommonAccentGapCost);
}

int TextModel::LetterOf(std::uint8_t b) {
  if (b == kFourthEMark) return 'e' - 'a';
  if (b == 0xD1 || b == 0xF1) return 'n' - 'a';
  if (b >= 'A' && b <= 'Z') return b - 'A';
  if (b >= 'a' && b <= 'z') return b - 'a';
  return kNoLetter;
}

int TextModel::LetterTripleCost(std::uint8_t beforeLast, std::uint8_t last, std::uint8_t byte) const {
  const int second = LetterOf(last);
  return qor::LetterTripleCost(second == kNoLetter ? kNoLetter : LetterOf(beforeLast), second, LetterOf(byte));
}

int TextModel::PairCost(int last, int letter) {
  // -log2 of how often a letter follows another within words of Spanish
  // and English word lists, the two weighed alike, in hexadecimal; row and
  // column 26 are a word's edge. Ñ and the accents fold to their letters.
  static constexpr const char* kPairs[27] = {
      "b5448768678443a583546689772", "26983bca38c3993be3584abe7f6", "2c7b3dd33f55ba2da5844eff7c6",
      "39972a7939c7882ab56a588f7b3", "5754676877a4536683358786873", "3abb34aa2cc4ba3be3754ece7e6",
      "3ada3a654cb5754ad3693e9f7b2", "28a929ba3ba7773ac6754c8f6c4", "4634465ab8945246854485c9c57",
      "2ddd2bdd4dbddd2bdbbd3ccddc8", "479827963a757558d6486d7d5d3", "277637793b836937aa6657ad5a4",
      "249b29cb3fe96734ca6b5cbf8f5", "3944363848788649884367ac873", "765687587884526583455668882",
      "3a9a2ab53cb49935f3654eae8e5", "9bcccccc8cc9ccbcccbb0cbccc8", "276538693a876637955557ad793",
      "485a48954c8767458a535a8f8d1", "397b29b52dc7993af3565c8f694", "4545365a479343759334b8c9977",
      "2dcb1dcc2de9ec3cea9b6aee8e7", "269638943d758438d5578c9d7a4", "4a3c38a52cc98a439aa358876a3",
      "476748785b965555c6465a79b91", "196a3c684da776388aa94aad754", "44344555577546648424766b98f",
  };
  const char digit = kPairs[last][letter];
  return digit <= '9' ? digit - '0' : digit - 'a' + 10;
}

std::uint8_t TextModel::ClassOf(std::uint8_t b) {
  if ((b >= 'a' && b <= 'z') || b == 0xF1) return kLower;
  if ((b >= 'A' && b <= 'Z') || b == 0xD1) return kUpper;
  if (b >= '0' && b <= '9') return kDigit;
  if (b == ' ') return kSpace;
  if (b == ',' || b == '.' || b == ';' || b == ':' || b == '?' || b == '!' || b == ')' || b == '"') return kClosingMark;
  if (b == '\r') return kReturn;
  if (b == '\n' || b == '\t') return kLine;
  if (b < 0x20) return kControl;
  return kOtherMark;
}

// The cost of a character whatever comes before it.
std::uint8_t TextModel::CostAlone(std::uint8_t b) {
  static constexpr const char* kRareLetters = "bfghjkqvwxyz";
  if (b == ' ' || (b >= 'a' && b <= 'z' && !std::strchr(kRareLetters, b))) return 0;
  if ((b >= 'a' && b <= 'z') || b == ',' || b == '.' || b == '\n' || b == '\r') return 1;
  if ((b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '?' || b == '!') return 2;
  if (b == 0xF1 || b == 0xD1 || b == '\t' || b == '/' || b == ';' || b == ':' || b == '(' || b == ')' || b == '"' || b == '\'' ||
      b == '-')
    return 3;
  if (b < 0x20) return kControlCost;
  return 5;
}

}  // namespace qor

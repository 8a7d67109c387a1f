// A rough model of Spanish or English text: the cost of a character after
// the two before it, about in bits, by their classes and, for letters, by
// how often one follows the other. The drop searches use it only to rank
// readings that need as many drops, and to tell text from noise; the
// letter triples alone tell the fourth E from F where the codes cannot.
#pragma once

#include <array>
#include <cstdint>

namespace qor {

class TextModel {
 public:
  // Built on first use; never changes.
  static const TextModel& Shared();

  // Text holds hardly any control characters; a wrong shift reads one in
  // six codes as one.
  static bool IsControl(std::uint8_t b) { return ClassOf(b) == kControl; }

  // What the first bytes of a file are read after: the end of a sentence.
  static constexpr std::uint8_t kStartBeforeLast = '.', kStartLast = ' ';

  // One table load: the row by the last byte and what the one before it
  // was, the column by the byte.
  int Cost(std::uint8_t beforeLast, std::uint8_t last, std::uint8_t byte) const {
    return cost_[rowAfter_[kindOf_[beforeLast]][last]][byte];
  }
  // The same for the first byte after dropped bytes: the letter before it
  // was not its neighbour, so the two do not pair; between two letters the
  // dropped bytes were an accented vowel, and each must pair with one.
  int CostAfterDrop(std::uint8_t beforeLast, std::uint8_t last, std::uint8_t byte) const {
    return afterDropCost_[rowAfter_[kindOf_[beforeLast]][last]][byte];
  }

  // The rows Cost and CostAfterDrop read, indexed by the byte: for weighing
  // many bytes after the same two.
  const std::uint8_t* CostsAfter(std::uint8_t beforeLast, std::uint8_t last) const {
    return cost_[rowAfter_[kindOf_[beforeLast]][last]].data();
  }
  const std::uint8_t* CostsAfterDrop(std::uint8_t beforeLast, std::uint8_t last) const {
    return afterDropCost_[rowAfter_[kindOf_[beforeLast]][last]].data();
  }

  // What bytes dropped between `last` and `byte` may have been, as far as
  // quotation marks go: one that opens a quote, at a word's edge before a
  // word or before a sign (a path, an option, a variable, a mark quoted
  // alone); one that closes a quote, at a word's edge after its last
  // letter, digit or sign, or after a mark that closes something itself,
  // which closes only a quote of that mark alone; or none.
  enum class QuoteMark : std::uint8_t { kNone, kOpensWord, kOpensSign, kCloses, kClosesMarkAlone };
  // Whether a quote may open after `last`.
  bool QuoteMayOpenAfter(std::uint8_t last) const { return quoteSideOf_[last] & kBeforeWord; }
  QuoteMark QuoteMarkAt(std::uint8_t last, std::uint8_t byte) const {
    const std::uint8_t after = quoteSideOf_[byte];
    if (quoteSideOf_[last] & kBeforeWord)
      return (after & kBeforeWord) ? QuoteMark::kNone : (after & kLetter) ? QuoteMark::kOpensWord : QuoteMark::kOpensSign;
    if (!(after & kAfterWord)) return QuoteMark::kNone;
    return (quoteSideOf_[last] & kAfterWord) ? QuoteMark::kClosesMarkAlone : QuoteMark::kCloses;
  }

  // The cost of `byte` after the two before it, about in bits, case aside,
  // within a word: anything but a letter counts as a word's edge, and
  // where `last` is no letter, the word starts at `byte`.
  int LetterTripleCost(std::uint8_t beforeLast, std::uint8_t last, std::uint8_t byte) const;

 private:
  enum CharClass : std::uint8_t {
    kLower, kUpper, kDigit, kSpace, kClosingMark, kOtherMark, kLine, kControl, kReturn,
    kClasses,
    kSentenceStart = kClasses,  // a context only
    kContexts,
  };

  TextModel();
  static std::uint8_t ClassOf(std::uint8_t b);
  static std::uint8_t CostAlone(std::uint8_t b);
  // The letter 0..25 that `b` is, case aside, or kNoLetter.
  static int LetterOf(std::uint8_t b);
  static constexpr int kNoLetter = 26;
  // The cost of `letter` after `last`, both as LetterOf gives them.
  static int PairCost(int last, int letter);
  // What letters `last` and `letter` (as LetterOf gives them) cost on
  // either side of a dropped accented vowel, beyond what common pairs do.
  static int AccentGapExcess(int last, int letter);

  // What the byte before the last one was, as far as the row goes: a
  // lowercase letter or a capital, a word's edge, a sentence's end.
  enum BeforeLast : std::uint8_t { kInWord, kCapitalInWord, kWordEdge, kSentenceEnd, kBeforeLastKinds };

  // Rows of cost_: after each letter (case folded) in either case, after
  // each class of the other characters, a sentence's start, after each
  // letter that began a word (which a word's end makes a word alone), and
  // after each capital that followed a capital in a word.
  static constexpr int kLetterRows = 2 * 26, kLoneRow = kLetterRows + kContexts, kCapitalsRow = kLoneRow + kLetterRows,
                       kRows = kCapitalsRow + 26;

  // Where a byte may stand to a word, as bits: before one (a space, a line
  // end, an opening bracket), after one (those but the bracket, and the
  // closing marks), in one (a letter).
  enum QuoteSide : std::uint8_t { kBeforeWord = 1, kAfterWord = 2, kLetter = 4 };

  std::array<std::uint8_t, 256> classOf_{}, costAlone_{}, quoteSideOf_{};
  // The row of cost_ that the byte read last selects, by the kind of the
  // one before it; each byte's kind.
  std::array<std::array<std::uint8_t, 256>, kBeforeLastKinds> rowAfter_{};
  std::array<std::uint8_t, 256> kindOf_{};
  std::array<std::array<std::uint8_t, 256>, kRows> cost_{}, afterDropCost_{};
};

}  // namespace qor

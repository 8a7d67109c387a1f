// A rough model of Spanish or English text: the cost of a character after
// the two before it, about in bits. The drop searches use it only to rank
// readings that need as many drops, and to tell text from noise. Apart from
// it, the cost of one letter after another, which tells letters of the same
// class apart where the codes cannot: the fourth E from F.
#pragma once

#include <array>
#include <cstdint>

namespace qor {

class TextModel {
 public:
  // Built on first use; never changes.
  static const TextModel& Shared();

  // What the first bytes of a file are read after: the end of a sentence.
  static constexpr std::uint8_t kStartBeforeLast = '.', kStartLast = ' ';

  int Cost(std::uint8_t beforeLast, std::uint8_t last, std::uint8_t byte) const {
    // Rows: the class of the last character, or kSentenceStart for a space
    // or line end after the end of a sentence. Columns: the class of `byte`.
    static constexpr std::uint8_t kCostAfter[kContexts][kClasses] = {
        // low up digit space close mark line control
        {0, 5, 4, 0, 0, 2, 1, 0},  // after a lowercase letter
        {0, 1, 4, 0, 0, 2, 1, 0},  // after an uppercase letter
        {4, 4, 0, 0, 0, 1, 1, 0},  // after a digit
        {0, 1, 0, 3, 4, 1, 2, 0},  // after a space
        {3, 3, 2, 0, 2, 2, 0, 0},  // after , . ; : ? ! ) "
        {1, 1, 1, 1, 2, 2, 1, 0},  // after another mark
        {1, 0, 1, 1, 3, 1, 0, 0},  // after a line end or tab
        {0, 0, 0, 0, 0, 0, 0, 0},  // after a control character
        {3, 0, 1, 2, 4, 1, 1, 0},  // a sentence begins
    };
    int context = classOf_[last];
    if ((context == kSpace || context == kLine) &&
        (beforeLast == '.' || beforeLast == '?' || beforeLast == '!' || beforeLast == '\n'))
      context = kSentenceStart;
    return costAlone_[byte] + kCostAfter[context][classOf_[byte]];
  }

  // The cost of `byte` after `last`, about in bits, case aside; anything
  // but a letter counts as a word's edge.
  int LetterPairCost(std::uint8_t last, std::uint8_t byte) const;

 private:
  enum CharClass : std::uint8_t {
    kLower, kUpper, kDigit, kSpace, kClosingMark, kOtherMark, kLine, kControl,
    kClasses,
    kSentenceStart = kClasses,  // a context only
    kContexts,
  };

  TextModel();
  static std::uint8_t ClassOf(std::uint8_t b);
  static std::uint8_t CostAlone(std::uint8_t b);

  std::array<std::uint8_t, 256> classOf_{}, costAlone_{};
};

}  // namespace qor

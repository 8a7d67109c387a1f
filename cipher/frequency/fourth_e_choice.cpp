#include "cipher/frequency/fourth_e_choice.h"

#include "cipher/frequency/code_reader.h"

namespace qor {

namespace {

// A run is settled once it holds this many bytes, with the code 14s in it
// so far: a text with F's and no E from its own code for that long is rare,
// and it bounds the memory held.
constexpr std::size_t kMaxRun = 1 << 16;

}  // namespace

FourthEChoice::FourthEChoice(BlockWriter& writer, std::size_t block)
    : writer_(writer), text_(TextModel::Shared()), block_(block) {}

void FourthEChoice::Emit(std::uint8_t byte) {
  writer_.Buffer()[filled_++] = byte;
  twoBeforeRun_ = beforeRun_;
  beforeRun_ = byte;
  if (filled_ == block_) writer_.Write(filled_), filled_ = 0;
}

void FourthEChoice::Put(const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = bytes[i];
    if (run_.empty() && b != kFourthEMark) {
      Emit(b);
      continue;
    }
    run_.push_back(b);
    if (b == 'E' || run_.size() == kMaxRun) Settle();
  }
}

void FourthEChoice::Finish() {
  if (!run_.empty()) Settle();
  if (filled_ > 0) writer_.Write(filled_), filled_ = 0;
}

void FourthEChoice::Settle() {
  // What each code 14 costs as E rather than F, its neighbours read as F,
  // by the letter triples it stands in; the cheapest is the E, ties to the
  // first. A run that reaches the end of the file could also hold no E at
  // all; E being far the commoner, its first code 14 stays the E there too.
  const auto asF = [](std::uint8_t b) { return b == kFourthEMark ? std::uint8_t{'F'} : b; };
  const auto at = [this, &asF](std::ptrdiff_t i) {
    if (i < 0) return i == -1 ? beforeRun_ : twoBeforeRun_;
    return i < static_cast<std::ptrdiff_t>(run_.size()) ? asF(run_[static_cast<std::size_t>(i)]) : std::uint8_t{' '};
  };
  const auto cost = [this, &at](std::ptrdiff_t i, std::uint8_t letter) {
    return text_.LetterTripleCost(at(i - 2), at(i - 1), letter) + text_.LetterTripleCost(at(i - 1), letter, at(i + 1)) +
           text_.LetterTripleCost(letter, at(i + 1), at(i + 2));
  };
  std::size_t best = run_.size();
  int bestCost = 0;
  for (std::size_t i = 0; i < run_.size(); ++i) {
    if (run_[i] != kFourthEMark && run_[i] != 'F') continue;
    const auto p = static_cast<std::ptrdiff_t>(i);
    const int c = cost(p, 'E') - cost(p, 'F');
    if (best == run_.size() || c < bestCost) best = i, bestCost = c;
  }
  for (std::size_t i = 0; i < run_.size(); ++i) {
    const std::uint8_t b = run_[i];
    Emit(i == best ? std::uint8_t{'E'} : asF(b));
  }
  run_.clear();
}

}  // namespace qor

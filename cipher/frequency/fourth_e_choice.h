// Where code 14 may be the fourth E or an F, the codes cannot always tell:
// reading a code 14 as the fourth E leaves E's counter at 0, and so does
// reading it as F and a later code 14 as the E. A run opens at a code 14
// read as the fourth E and goes on through the code 14s after it up to the
// next E read from its own code; exactly one of the run's code 14s is the E,
// and any one of them checks. The
// decoded bytes pass through here on their way out, and the text picks that
// one: the letter triples around each, and the words with E or F in them
// that the file held already where the codes left no choice.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "cipher/frequency/text_model.h"
#include "cipher/stream_io.h"

namespace qor {

class FourthEChoice {
 public:
  // Words are remembered up to this long, which bounds the memory; names,
  // commands and acronyms are short.
  static constexpr std::size_t kMaxWord = 32;

  // Writes to `writer` in blocks of `block` bytes at most.
  FourthEChoice(BlockWriter& writer, std::size_t block);

  // Passes decoded bytes on, holding back an open run until it closes.
  void Put(const std::uint8_t* bytes, std::size_t count);
  // The end of the file: settles an open run and writes out the rest.
  void Finish();

 private:
  // Picks the run's E and lets the run out.
  void Settle();
  // Lets a byte out; `chosen` where it is one of a run's code 14s.
  void Emit(std::uint8_t byte, bool chosen);
  // Lets bytes out that no choice made, none of them a run's.
  void EmitUnchosen(const std::uint8_t* bytes, std::size_t count);
  // The words in bytes let out: the open one goes on or ends, and those
  // with E or F are remembered.
  void NoteWords(const std::uint8_t* bytes, std::size_t count);
  void Extend(std::uint8_t byte, bool chosen);
  void EndWord();
  // Whether `word`, with E or F in it, was let out with no choice in it.
  bool Seen(std::string_view word) const { return seen_.find(word) != seen_.end(); }

  BlockWriter& writer_;
  const TextModel& text_;
  const std::size_t block_;
  std::size_t filled_ = 0;     // bytes in the writer's block
  std::vector<std::uint8_t> run_;  // from the code 14 that opened it
  // A closed run waits for the end of the word its last byte is in, so that
  // the words of its code 14s are whole; `closed` is how much of run_ it is.
  std::size_t closed_ = 0;
  std::uint8_t beforeRun_ = ' ', twoBeforeRun_ = ' ';  // the bytes let out last
  // The word being let out, up to one byte more than is remembered, whether
  // a choice made any of it, whether it has E or F; the words with E or F
  // let out with none chosen.
  std::array<char, kMaxWord + 1> word_{};
  std::size_t wordLength_ = 0;
  bool wordChosen_ = false, wordHasEOrF_ = false;
  struct WordHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view w) const { return std::hash<std::string_view>{}(w); }
  };
  std::unordered_set<std::string, WordHash, std::equal_to<>> seen_;
};

}  // namespace qor

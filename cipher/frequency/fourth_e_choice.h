// Where code 14 may be the fourth E or an F, the codes cannot always tell:
// reading a code 14 as the fourth E leaves E's counter at 0, and so does
// reading it as F and a later code 14 as the E. A run opens at a code 14
// read as the fourth E and goes on through the code 14s after it up to the
// next E read from its own code; exactly one of the run's code 14s is the E,
// and any one of them checks. The
// decoded bytes pass through here on their way out, and the text model
// picks that one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cipher/frequency/text_model.h"
#include "cipher/stream_io.h"

namespace qor {

class FourthEChoice {
 public:
  // Writes to `writer` in blocks of `block` bytes at most.
  FourthEChoice(BlockWriter& writer, std::size_t block);

  // Passes decoded bytes on, holding back an open run until it closes.
  void Put(const std::uint8_t* bytes, std::size_t count);
  // The end of the file: settles an open run and writes out the rest.
  void Finish();

 private:
  // Picks the run's E and lets the run out.
  void Settle();
  void Emit(std::uint8_t byte);

  BlockWriter& writer_;
  const TextModel& text_;
  const std::size_t block_;
  std::size_t filled_ = 0;     // bytes in the writer's block
  std::vector<std::uint8_t> run_;  // from the code 14 that opened it
  std::uint8_t beforeRun_ = ' ', twoBeforeRun_ = ' ';  // the bytes let out last
};

}  // namespace qor
